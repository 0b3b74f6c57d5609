// The hand-over of a list of games to the work engine: the player's choice on apply, or the games
// the client asked for. Whole modules for games not installed, the missing or changed files of
// games with files to update; the status file marks each as asked for.
#pragma once

#include <cstdint>

class BInstaller;
class CGames;

// What the main dialog does around a hand-over.
class IBHandOverHost {
 public:
  virtual ~IBHandOverHost() = default;
  // The display's 400 ms refresh, once.
  virtual void RefreshDisplay() = 0;
  // The game list window refreshed.
  virtual void RefreshGameList() = 0;
  // Window message 32769 to the main client.
  virtual void SendToClient(int32_t command, intptr_t value) = 0;
};

// Cancels whatever the engine holds, then for each game of list that games (the games list) holds,
// by its status in "modstatus.lst": 1 nothing; 0 and 3 the whole module, status 3; 2 and 4 each
// file that is missing or whose CRC differs from its entry, status 4. A status changes only from
// the status on disk at that moment. Then one display refresh, one step of the engine, the game
// list and (2, 0) to the client. The engine's step may throw.
void BHandOverGames(BInstaller& installer, CGames& games, CGames& list, IBHandOverHost& host);
