#include "platform/ui/console_address.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cstdlib>

namespace gw20::ui {
namespace {

constexpr std::string_view kComPrefix = "COM";
constexpr std::string_view kSchemeEnd = "://";
constexpr int kLargestPort = 65535;

struct Scheme {
  std::string_view name;
  AddressKind kind;
};
constexpr std::array<Scheme, 2> kSchemes{{{"tcp", AddressKind::Tcp}, {"rfc2217", AddressKind::Rfc2217}}};

constexpr std::string_view kForms = "use COMn, a device path, tcp://HOST:PORT or rfc2217://HOST:PORT";

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::toupper(static_cast<unsigned char>(x)) == std::toupper(static_cast<unsigned char>(y));
         });
}

// Plain decimal digits only: no sign, no blank.
std::optional<long> Digits(std::string_view text) {
  if (text.empty() || !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    return std::nullopt;
  }
  long value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc{} || end != text.data() + text.size()) return std::nullopt;
  return value;
}

bool IsNameCharacter(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '-' || c == '.' || c == '_';
}

bool IsIpv6Character(char c) {
  return std::isxdigit(static_cast<unsigned char>(c)) != 0 || c == ':' || c == '.';
}

AddressParse Refuse(std::string_view text, std::string_view why) {
  return {std::nullopt, std::string(text) + ": " + std::string(why)};
}

// HOST:PORT of a server address whose scheme has been read.
AddressParse ParseServer(std::string_view text, AddressKind kind, std::string_view rest) {
  if (const auto at = rest.rfind('@'); at != std::string_view::npos) {
    // Said without what stood before the "@": a password must not reach a message or a log.
    const std::string_view scheme = text.substr(0, text.size() - rest.size());
    return Refuse(std::string(scheme) + "...@" + std::string(rest.substr(at + 1)),
                  "an address carries no user name or password: give HOST:PORT only");
  }
  std::string_view host;
  std::string_view afterHost;
  if (!rest.empty() && rest.front() == '[') {
    const auto close = rest.find(']');
    if (close == std::string_view::npos) return Refuse(text, "an IPv6 address needs its closing bracket");
    host = rest.substr(1, close - 1);
    if (host.find(':') == std::string_view::npos || !std::all_of(host.begin(), host.end(), IsIpv6Character)) {
      return Refuse(text, "only an IPv6 address goes in brackets");
    }
    afterHost = rest.substr(close + 1);
  } else {
    const auto colon = rest.find(':');
    host = rest.substr(0, colon);
    if (colon != std::string_view::npos && rest.find(':', colon + 1) != std::string_view::npos) {
      return Refuse(text, "write an IPv6 address in brackets, e.g. tcp://[::1]:4001");
    }
    afterHost = colon == std::string_view::npos ? std::string_view() : rest.substr(colon);
    if (!std::all_of(host.begin(), host.end(), IsNameCharacter)) {
      return Refuse(text, "the host is a name or an address (letters, digits, '-', '.', '_')");
    }
  }
  if (host.empty()) return Refuse(text, "the host is missing: give HOST:PORT");
  if (afterHost.empty() || afterHost.front() != ':')
    return Refuse(text, "the port is missing: give HOST:PORT");
  const auto port = Digits(afterHost.substr(1));
  if (!port) return Refuse(text, "the port is a number from 1 to 65535, and nothing follows it");
  if (*port < 1 || *port > kLargestPort) return Refuse(text, "the port is a number from 1 to 65535");
  ConsoleAddress address;
  address.kind = kind;
  address.text = std::string(text);
  address.comNumber = 0;
  address.host = std::string(host);
  address.port = static_cast<int>(*port);
  return {address, {}};
}

}  // namespace

std::string ConsoleAddress::HostAndPort() const {
  const bool ipv6 = host.find(':') != std::string::npos;
  return (ipv6 ? "[" + host + "]" : host) + ":" + std::to_string(port);
}

AddressParse ParseConsoleAddress(std::string_view text) {
  if (text.empty()) return {std::nullopt, "no port given: " + std::string(kForms)};
  if (text.size() > kComPrefix.size() && EqualsIgnoringCase(text.substr(0, kComPrefix.size()), kComPrefix)) {
    if (const auto number = Digits(text.substr(kComPrefix.size()))) {
      if (*number < 1 || *number > kComPortCount) {
        return Refuse(text, "COM ports are COM1 to COM" + std::to_string(kComPortCount));
      }
      ConsoleAddress address = ComPortAddress(static_cast<int>(*number));
      address.text = std::string(text);
      return {address, {}};
    }
  }
  if (const auto end = text.find(kSchemeEnd); end != std::string_view::npos) {
    const std::string_view scheme = text.substr(0, end);
    for (const Scheme& s : kSchemes) {
      if (EqualsIgnoringCase(scheme, s.name))
        return ParseServer(text, s.kind, text.substr(end + kSchemeEnd.size()));
    }
    return Refuse(text, "not an address: " + std::string(kForms));
  }
  return {DeviceAddress(std::string(text)), {}};
}

ConsoleAddress ComPortAddress(int number) {
  ConsoleAddress address;
  address.text = std::string(kComPrefix) + std::to_string(number);
  address.comNumber = number;
  return address;
}

ConsoleAddress DeviceAddress(const std::string& path) {
  ConsoleAddress address;
  address.kind = AddressKind::Device;
  address.text = path;
  address.comNumber = 0;
  address.device = path;
  return address;
}

std::string ComPortVariable(int number) { return "GW20_COM" + std::to_string(number); }

ConsoleRoute RouteOf(const ConsoleAddress& named, const VariableLookup& lookup) {
  if (named.kind != AddressKind::ComPort) return {named, named, {}};
  const std::string variable = ComPortVariable(named.comNumber);
  const std::optional<std::string> given = lookup ? lookup(variable) : std::nullopt;
  if (given && !given->empty()) {
    const AddressParse parsed = ParseConsoleAddress(*given);
    if (!parsed.address) return {named, {}, variable + "=" + parsed.problem};
    if (parsed.address->kind == AddressKind::ComPort) {
      return {named, {}, variable + "=" + *given + ": name a device or a server there, not a COM port"};
    }
    return {named, *parsed.address, {}};
  }
#ifdef _WIN32
  const std::string device = named.text;
#else
  const std::string device = "/dev/ttyS" + std::to_string(named.comNumber - 1);
#endif
  return {named, DeviceAddress(device), {}};
}

std::optional<std::string> EnvironmentVariable(const std::string& name) {
  const char* text = std::getenv(name.c_str());
  return text != nullptr ? std::optional<std::string>(text) : std::nullopt;
}

}  // namespace gw20::ui
