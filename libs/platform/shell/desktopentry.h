// A freedesktop desktop entry (".desktop" file), the form shortcuts take on the desktop. Lines
// are kept as read, so keys and groups this code does not know survive an update.
#pragma once

#include <string>
#include <vector>

class CDesktopEntry {
 public:
  // Largest file that is read; anything bigger is not a shortcut.
  static constexpr size_t MAX_FILE_SIZE = 1 << 20;

  // false for a file that is missing, unreadable, too big or without a [Desktop Entry] group.
  bool Load(const std::string& path);
  bool Parse(const std::string& text);
  // Writes the entry atomically, creating missing folders. errno tells why it failed.
  bool Save(const std::string& path) const;
  std::string Text() const;

  // Values of the [Desktop Entry] group with the string escapes undone.
  bool Get(const char* key, std::string& value) const;
  void Set(const char* key, const std::string& value);
  void Remove(const char* key);

  // The words of the Exec value with quoting and escapes undone; field codes (%f, %u ...) are
  // dropped, "%%" is a percent sign.
  std::vector<std::string> ExecArgs() const;
  // Exec quoting every argument, so no character of a path is taken for syntax.
  void SetExec(const std::vector<std::string>& args);

 private:
  // Index of the entry line of key in the main group, or -1. groupEnd: where a new key goes.
  long Find(const char* key, size_t* groupEnd) const;

  std::vector<std::string> m_Lines;
};
