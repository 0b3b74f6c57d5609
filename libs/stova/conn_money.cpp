// Money: the balance as exact decimal text, every change one transaction with its bookings.
#include "stova/connimpl.h"
#include "stova/stovaconn.h"

int32_t CStovaConn::GetUserCash(uint32_t id, TStovaMoney& cash, int32_t& ok) {
  ok = 0;
  if (!ValidId(id, "GetUserCash", "member") || !IsOpen()) return 0;
  CStovaQuery q(m_pDb->Statement(STMT_CASH_READ));
  q.Bind(id);
  const int rc = q.Step();
  if (rc == SQLITE_DONE) return 1;
  if (rc != SQLITE_ROW) return FailEngine("GetUserCash");
  TStovaMoney read;
  if (!StovaReadMoney(q, 0, read))
    return Fail(STOVA_ERR_DAMAGED_VALUE, "GetUserCash: member %u has a cash text that is not money", id);
  cash = read;
  ok = 1;
  return 1;
}

int32_t CStovaConn::SetUserCash(uint32_t id, const TStovaMoney& cash, int32_t& ok) {
  const SStovaBooking set{cash, STOVA_BOOKING_SET, 0};
  return ChangeCash("SetUserCash", id, &set, 1, true, ok);
}

int32_t CStovaConn::PracticeSetUserCash(uint32_t id, const TStovaMoney& cash, int32_t& ok) {
  const SStovaBooking set{cash, STOVA_BOOKING_PRACTICE, 0};
  return ChangeCash("PracticeSetUserCash", id, &set, 1, true, ok);
}

int32_t CStovaConn::IncUserCash(uint32_t id, const TStovaMoney& amount, int32_t type, int32_t& ok, uint32_t value) {
  const SStovaBooking inc{amount, type, value};
  return ChangeCash("IncUserCash", id, &inc, 1, false, ok);
}

int32_t CStovaConn::DecIncUserCash(uint32_t id, const TStovaMoney& debit, int32_t debitType, const TStovaMoney& credit,
                                   int32_t creditType, int32_t& ok) {
  const SStovaBooking both[2] = {{-debit, debitType, 0}, {credit, creditType, 0}};
  return ChangeCash("DecIncUserCash", id, both, 2, false, ok);
}

int32_t CStovaConn::ChangeCash(const char* what, uint32_t id, const SStovaBooking* bookings, int count,
                               bool setBalance, int32_t& ok) {
  ok = 0;
  if (!ValidId(id, what, "member") || !IsOpen()) return 0;
  for (int i = 0; i < count; ++i)
    if (bookings[i].m_Amount.GetError()) return Fail(STOVA_ERR_OVERFLOW, "%s: the amount carries the error flag", what);

  CStovaTransaction txn(*m_pDb, m_InCallerTransaction);
  if (!txn.Begun()) return FailEngine(what);
  TStovaMoney balance;
  {
    CStovaQuery q(m_pDb->Statement(STMT_CASH_READ));
    q.Bind(id);
    const int rc = q.Step();
    if (rc == SQLITE_DONE) return Fail(STOVA_ERR_NOT_FOUND, "%s: no member %u", what, id);
    if (rc != SQLITE_ROW) return FailEngine(what);
    if (!StovaReadMoney(q, 0, balance))
      return Fail(STOVA_ERR_DAMAGED_VALUE, "%s: member %u has a cash text that is not money", what, id);
  }

  // Every amount and balance is worked out before anything is written.
  TStovaMoney amounts[2], balances[2];
  for (int i = 0; i < count; ++i) {
    amounts[i] = setBalance ? bookings[i].m_Amount - balance : bookings[i].m_Amount;
    const TStovaMoney before = balance;
    balance += amounts[i];
    if (amounts[i].GetError() || balance.GetError())
      return Fail(STOVA_ERR_OVERFLOW, "%s: member %u's balance %s and %s%s leave the money range", what, id,
                  SStovaMoneyText(before).m_Text, setBalance ? "the balance wanted " : "",
                  SStovaMoneyText(bookings[i].m_Amount).m_Text);
    balances[i] = balance;
  }

  const SStovaMoneyText after(balance);
  {
    CStovaQuery q(m_pDb->Statement(STMT_CASH_WRITE));
    q.Bind(id).Bind(after.View());
    if (q.Step() != SQLITE_DONE) return FailEngine(what);
  }
  const int64_t now = StovaNow();
  for (int i = 0; i < count; ++i) {
    const SStovaMoneyText amount(amounts[i]), balanceAfter(balances[i]);
    CStovaQuery q(m_pDb->Statement(STMT_BOOKING_INSERT));
    q.Bind(id).Bind(amount.View()).Bind(bookings[i].m_Type).Bind(bookings[i].m_Value).Bind(now).Bind(balanceAfter.View());
    if (q.Step() != SQLITE_DONE) return FailEngine(what);
  }
  if (!txn.Commit()) return FailEngine(what);
  ok = 1;
  return 1;
}
