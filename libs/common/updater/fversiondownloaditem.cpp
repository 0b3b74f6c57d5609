#include "common/updater/fversiondownloaditem.h"

#include "ostrel/base/types.h"
#include "ostrel/base/xstring.h"

SFVersionDownloadItem::SFVersionDownloadItem(const SFVersionDownloadItem& other)
    : m_pNormName(xStrdup(other.m_pNormName)),
      m_NormCRC(other.m_NormCRC),
      m_NormSize(other.m_NormSize),
      m_pPackedName(xStrdup(other.m_pPackedName)),
      m_PackedCRC(other.m_PackedCRC),
      m_PackedSize(other.m_PackedSize) {}

SFVersionDownloadItem::~SFVersionDownloadItem() {
  xFree(m_pNormName);
  xFree(m_pPackedName);
}

bool SFVersionDownloadItem::operator==(const SFVersionDownloadItem& other) const {
  if (!m_pNormName || !other.m_pNormName) return !m_pNormName && !other.m_pNormName;
  return xStrcmp(m_pNormName, other.m_pNormName) == 0;
}

int32_t SFVersionDownloadItem::SetNormName(const char* name) { return xStrReplace(m_pNormName, name); }
int32_t SFVersionDownloadItem::SetPackedName(const char* name) { return xStrReplace(m_pPackedName, name); }

int32_t SFVersionDownloadItem::Copied(const SFVersionDownloadItem& other) const {
  return (!other.m_pNormName || m_pNormName) && (!other.m_pPackedName || m_pPackedName) ? 1 : 0;
}
