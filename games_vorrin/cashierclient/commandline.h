// The cashier's argument words, as the client builds them:
//   host port [(proxy description)] "-u:user name" "-p:password" ["-prefix:XYZ"]
// A user word takes the following words, joined with one blank, up to the next "-p:" word; a
// password word takes every following word. Fields that would not fit are refused, not cut: a
// cut password would fail the login without a word.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

inline constexpr size_t CASHIER_HOST_MAX = 49;
inline constexpr size_t CASHIER_CREDENTIAL_MAX = 99;  // the login's user name and password
inline constexpr size_t CASHIER_PREFIX_MAX = 9;

struct TCashierArguments {
  TCashierArguments() = default;
  ~TCashierArguments();
  TCashierArguments(const TCashierArguments&) = delete;
  TCashierArguments& operator=(const TCashierArguments&) = delete;

  std::string m_Host;
  int32_t m_Port = 0;  // 0 when fewer than two words came
  std::string m_ProxyDescription;  // the third word when it begins with "("
  std::string m_UserName;
  std::string m_Password;  // wiped when the arguments go
  std::string m_Prefix;
};

// Throws CException("CCashierClientApp::Initialize()", "Invalid command-line arguments.") for an
// empty host or port, a port word that is not a number in 1..65535, and fields that do not fit.
void ReadCashierArguments(int32_t argc, char* const* argv, TCashierArguments& arguments);

// Overwrites the text's bytes with zeros and empties it.
void WipeText(std::string& text);
