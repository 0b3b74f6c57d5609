#include "ostrel/screens/screenlist.h"

int32_t CScreenBaseList::Register(CScreenBase* screen) { return m_List.InsertLast(screen) ? 1 : 0; }

void CScreenBaseList::Unregister(CScreenBase* screen) { m_List.DeleteItem(screen); }
