// The blackjack table protocol shared by the client and the server half: card codes, seats,
// hand numbers, packet and item names, the round-state values and the decisions.
#pragma once

#include <cstdint>

// ---- cards: codes 0..51, rank = code % 13 (0 ace, 1..8 two to nine, 9..12 ten-value) ----
inline constexpr int32_t KAVO_CARDS_PER_DECK = 52;
inline constexpr int32_t KAVO_RANKS = 13;
inline constexpr int32_t KAVO_RANK_ACE = 0;
inline constexpr int32_t KAVO_RANK_SEVEN = 6;
inline constexpr int32_t KAVO_RANK_TEN = 9;  // the first ten-value rank
inline constexpr int32_t KAVO_MAX_CARDS = 20;  // cards one hand may hold

inline constexpr bool KavoIsCard(int32_t code) { return code >= 0 && code < KAVO_CARDS_PER_DECK; }
inline constexpr int32_t KavoCardRank(int32_t code) { return code % KAVO_RANKS; }
inline constexpr int32_t KavoCardSuit(int32_t code) { return code / KAVO_RANKS; }
// The hard value: ace 1, two to nine their pips, ten-value cards 10.
inline constexpr int32_t KavoCardValue(int32_t code) {
  const int32_t rank = KavoCardRank(code);
  return rank >= KAVO_RANK_TEN ? 10 : rank + 1;
}
inline constexpr bool KavoIsTenValue(int32_t code) { return KavoCardRank(code) >= KAVO_RANK_TEN; }
inline constexpr bool KavoIsAce(int32_t code) { return KavoCardRank(code) == KAVO_RANK_ACE; }

// ---- seats and hands ----
inline constexpr int32_t KAVO_NUM_SEATS = 5;
inline constexpr int32_t KAVO_DEALER = KAVO_NUM_SEATS;  // the dealer is addressed as seat 5
inline constexpr int32_t KAVO_HAND_UNSPLIT = 0;
inline constexpr int32_t KAVO_HAND_1 = 1;
inline constexpr int32_t KAVO_HAND_2 = 2;

// ---- games ----
inline constexpr int32_t KAVO_GAMEID_REGULAR = 1020;
inline constexpr int32_t KAVO_GAMEID_SUPERSEVEN = 1021;
inline constexpr int32_t KAVO_GAMEID_ONEDECK = 1022;
inline constexpr const char* KAVO_GAME_REGULAR = "MKAVO";
inline constexpr const char* KAVO_GAME_SUPERSEVEN = "MSSKAVO";
inline constexpr const char* KAVO_GAME_ONEDECK = "MKAVOONE";
inline constexpr const char* KAVO_LIMITS_REGULAR = "kavo_limits.xrs";
inline constexpr const char* KAVO_LIMITS_SUPERSEVEN = "kavo_ss_limits.xrs";
inline constexpr const char* KAVO_LIMITS_ONEDECK = "kavo_onedeck_limits.xrs";

// ---- client to server ("PrivatePlayerData" chunks) ----
inline constexpr const char* KAVO_MSG_PLAYERBET = "KavoPlayerBet";
inline constexpr const char* KAVO_MSG_PLAYERACTION = "KavoPlayerAction";
inline constexpr const char* KAVO_MSG_INSURANCE = "KavoInsurance";

// ---- server to clients ----
inline constexpr const char* KAVO_MSG_CARD = "Card";              // "PlayerData": "Card", "Split"
inline constexpr const char* KAVO_MSG_DEALERCARD = "DealerCard";  // top-level long
inline constexpr const char* KAVO_MSG_TURN = "Turn";              // "PlayerData": "Split"
inline constexpr const char* KAVO_MSG_DEALERTURN = "DealerTurn";  // top-level long
inline constexpr const char* KAVO_MSG_PLAYERTIMEOUT = "PlayerTimeOut";  // "Command" value
inline constexpr const char* KAVO_MSG_DOUBLE = "Double";
inline constexpr const char* KAVO_MSG_SPLIT = "Split";
inline constexpr const char* KAVO_MSG_BUST = "Bust";
inline constexpr const char* KAVO_MSG_PLAYERWIN = "KavoPlayerWin";
inline constexpr const char* KAVO_MSG_TABLEINFO = "KavoPlayerTableInfo";
inline constexpr const char* KAVO_MSG_SCANCARD = "ScanCard";          // top-level long
inline constexpr const char* KAVO_MSG_INSURANCEWIN = "KavoInsuranceWin";

// ---- items ----
inline constexpr const char* KAVO_ITEM_BET = "Bet";
inline constexpr const char* KAVO_ITEM_SUPERSEVEN = "SuperSeven";
inline constexpr const char* KAVO_ITEM_FINALFLAG = "finalFlag";
inline constexpr const char* KAVO_ITEM_ACTION = "Action";
inline constexpr const char* KAVO_ITEM_INSURANCE = "Insurance";
inline constexpr const char* KAVO_ITEM_CARD = "Card";
inline constexpr const char* KAVO_ITEM_SPLIT = "Split";
inline constexpr const char* KAVO_ITEM_COMMAND = "Command";
inline constexpr const char* KAVO_ITEM_TIMEOUT = "TimeOut";
inline constexpr const char* KAVO_ITEM_SERVERTIME = "ServerTime";
inline constexpr const char* KAVO_ITEM_SSWIN = "SSWin";
inline constexpr const char* KAVO_ITEM_WINAMOUNT = "WinAmount";
inline constexpr const char* KAVO_ITEM_WINCONDITION = "WinCondition";
inline constexpr const char* KAVO_ITEM_BETHAND2 = "BetHand2";
inline constexpr const char* KAVO_ITEM_SUCCESSFLAG = "SuccessFlag";
inline constexpr const char* KAVO_ITEM_SLOT = "Slot";
inline constexpr const char* KAVO_ITEM_PAYS = "Pays";
// The limits on the player node.
inline constexpr const char* KAVO_ITEM_MINTABLE = "MinTable";
inline constexpr const char* KAVO_ITEM_MAXTABLE = "MaxTable";
inline constexpr const char* KAVO_ITEM_BETSIGN = "BetSign";
inline constexpr const char* KAVO_ITEM_VALIDDOUBLESUMSCOUNT = "ValidDoubleSumsCount";
inline constexpr const char* KAVO_ITEM_VALIDDOUBLESUMS = "ValidDoubleSums";

// ---- "ChangeGameState" values ----
enum EKavoGameState : int32_t {
  KAVO_GS_DEALSTART = 1,
  KAVO_GS_CARD = 2,
  KAVO_GS_FIRSTPASSDONE = 3,
  KAVO_GS_TURN = 4,
  KAVO_GS_WAITACTION = 5,
  KAVO_GS_SETTLE = 6,
  KAVO_GS_NATURAL = 7,
  KAVO_GS_SPLIT = 8,
  KAVO_GS_DOUBLE = 9,
  KAVO_GS_TIMEOUT = 10,
  KAVO_GS_WAITINSURANCE = 11,
  KAVO_GS_INSURANCERESOLVED = 12,
  KAVO_GS_PEEK = 13,
  KAVO_GS_BUST = 14,
  KAVO_GS_NOSETTLE = 15,
  KAVO_GS_INSURANCEOFFER = 16,
  KAVO_GS_TRIPLESEVEN = 17,
};

// ---- decisions ("Action"; 3 is the server's own) ----
enum EKavoAction : int32_t {
  KAVO_ACTION_NONE = 0,
  KAVO_ACTION_HIT = 1,
  KAVO_ACTION_STAND = 2,
  KAVO_ACTION_BUST = 3,
  KAVO_ACTION_DOUBLE = 4,
  KAVO_ACTION_SPLIT = 5,
};

// ---- "WinCondition" ----
enum EKavoWinCondition : int32_t {
  KAVO_WIN_LOST = 0,
  KAVO_WIN_WON = 1,
  KAVO_WIN_PUSH = 2,
  KAVO_WIN_NATURAL = 3,
};

// ---- booking types of the money moves ----
inline constexpr int32_t KAVO_BOOKING_STAKE = 50;
inline constexpr int32_t KAVO_BOOKING_WIN = 54;
inline constexpr int32_t KAVO_BOOKING_BONUS_HAND2 = 55;
