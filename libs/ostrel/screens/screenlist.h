// The process-wide list of screens (in the globals). It does not own them: each screen
// registers itself when it is made.
#pragma once

#include <cstdint>

#include "ostrel/containers/llist.h"

class CScreenBase;

class CScreenBaseList {
 public:
  CScreenBaseList() = default;
  ~CScreenBaseList() { UnregisterAll(); }
  CScreenBaseList(const CScreenBaseList&) = delete;
  CScreenBaseList& operator=(const CScreenBaseList&) = delete;

  // Appends; 1, or 0 when no list node can be had.
  int32_t Register(CScreenBase* screen);
  void Unregister(CScreenBase* screen);
  void UnregisterAll() { m_List.KillAll(); }

  int32_t First() { return m_List.First(); }
  int32_t Next() { return m_List.Next(); }
  int32_t Exists() const { return m_List.Exists(); }
  CScreenBase* Get() const { return static_cast<CScreenBase*>(m_List.Get()); }
  int32_t NumTypes() const { return m_List.GetNumNodes(); }

 private:
  CLList m_List;
};
