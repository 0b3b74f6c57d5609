#include "common/updater/gamestxtmodule.h"

#include <initializer_list>
#include <new>

#include "common/updater/fversiondownloaditem.h"
#include "common/updater/fvlistops.h"
#include "ostrel/base/types.h"
#include "ostrel/base/xstring.h"

GamestxtCFVModule::GamestxtCFVModule(const GamestxtCFVModule& other)
    : CFVModule(other),
      m_Order(other.m_Order),
      m_DefaultInst(other.m_DefaultInst),
      m_pShowName(xStrdup(other.m_pShowName)),
      m_pDllModule(xStrdup(other.m_pDllModule)),
      m_GameId(other.m_GameId),
      m_pResPath(xStrdup(other.m_pResPath)),
      m_pLimitPath(xStrdup(other.m_pLimitPath)),
      m_pSubmenuId(xStrdup(other.m_pSubmenuId)),
      m_pHistoryPath(xStrdup(other.m_pHistoryPath)) {
  for (CNode* n = other.m_NormItems.HeadNode(); n; n = n->m_pNext)
    AppendCopy(m_NormItems, *static_cast<const SFVersionDownloadItem*>(n->m_pData));
  for (CNode* n = other.m_IndItems.HeadNode(); n; n = n->m_pNext)
    AppendCopy(m_IndItems, *static_cast<const SFVersionDownloadItem*>(n->m_pData));
}

GamestxtCFVModule::~GamestxtCFVModule() {
  FVDeleteRecords<SFVersionDownloadItem>(m_NormItems);
  FVDeleteRecords<SFVersionDownloadItem>(m_IndItems);
  for (char* text : {m_pShowName, m_pDllModule, m_pResPath, m_pLimitPath, m_pSubmenuId, m_pHistoryPath}) xFree(text);
}

bool GamestxtCFVModule::operator==(const GamestxtCFVModule& other) const {
  return CFVModule::operator==(other) || (m_GameId != 0 && m_GameId == other.m_GameId);
}

bool GamestxtCFVModule::operator<(const GamestxtCFVModule& other) const {
  const bool forced = GetModForcedDownload() != 0, otherForced = other.GetModForcedDownload() != 0;
  if (forced != otherForced) return forced;
  if (m_Order != other.m_Order) {
    if (m_Order == 0 || other.m_Order == 0) return m_Order == 0;
    return m_Order < other.m_Order;
  }
  const char* name = GetModName();
  const char* otherName = other.GetModName();
  return xStrcmp(name ? name : "", otherName ? otherName : "") <= 0;
}

int32_t GamestxtCFVModule::SetShowName(const char* text) { return xStrReplace(m_pShowName, text); }
int32_t GamestxtCFVModule::SetDllmodule(const char* name) { return xStrReplace(m_pDllModule, name); }
int32_t GamestxtCFVModule::SetRespath(const char* path) { return xStrReplace(m_pResPath, path); }
int32_t GamestxtCFVModule::SetLimitpath(const char* path) { return xStrReplace(m_pLimitPath, path); }
int32_t GamestxtCFVModule::SetSubmenuid(const char* text) { return xStrReplace(m_pSubmenuId, text); }
int32_t GamestxtCFVModule::SetHistoryPath(const char* path) { return xStrReplace(m_pHistoryPath, path); }

int32_t GamestxtCFVModule::AppendCopy(CLList& list, const SFVersionDownloadItem& item) {
  auto* copy = new (std::nothrow) SFVersionDownloadItem(item);
  if (!copy) return 0;
  if (!copy->Copied(item) || !list.InsertLast(copy)) {
    delete copy;
    return 0;
  }
  return 1;
}

int32_t GamestxtCFVModule::AddDownloadItem(const SFVersionDownloadItem& item) { return AppendCopy(m_NormItems, item); }

int32_t GamestxtCFVModule::AddIndirectItem(const char* name) {
  if (!name) return 0;
  SFVersionDownloadItem item;
  return item.SetNormName(name) ? AppendCopy(m_IndItems, item) : 0;
}

SFVersionDownloadItem* GamestxtCFVModule::FindIndirectItem(const char* name) {
  if (!name) return nullptr;
  for (CNode* n = m_IndItems.HeadNode(); n; n = n->m_pNext) {
    auto* item = static_cast<SFVersionDownloadItem*>(n->m_pData);
    if (item->m_pNormName && xStrcmp(item->m_pNormName, name) == 0) return item;
  }
  return nullptr;
}
