#include "input/link.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "animation/sweep.h"
#include "geometry/language.h"
#include "input/configuration_text.h"
#include "input/number.h"
#include "input/printable.h"

namespace tarsel {

namespace {

// k of at most seven digits before the point, as it always was: far past any k a key reaches,
// and its thousandths stay exact in a double.
constexpr double kMostK = 1e7;

// k to the nearest tenth of a step, in thousandths: every k on the grid is a whole number of
// them, so the text is exact and short.
std::string GridText(double k) {
  const long tenths = std::lround((k - sweep::kFirstK) / sweep::kTenth);
  const long thousandths = std::lround(sweep::kFirstK * 1000) + 25 * tenths;
  const long whole = std::labs(thousandths) / 1000, part = std::labs(thousandths) % 1000;
  std::string text = (thousandths < 0 ? "-" : "") + std::to_string(whole);
  if (part != 0) {
    std::string digits = std::to_string(1000 + part).substr(1);
    while (digits.back() == '0') digits.pop_back();
    text += "." + digits;
  }
  return text;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// A query's value as the browser reads it: "+" is a space, "%HH" a byte.
std::string Unescape(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '+') {
      out += ' ';
    } else if (text[i] == '%' && i + 2 < text.size() && HexDigit(text[i + 1]) >= 0 &&
               HexDigit(text[i + 2]) >= 0) {
      out += static_cast<char>(HexDigit(text[i + 1]) * 16 + HexDigit(text[i + 2]));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

}  // namespace

LinkQueryValues ReadQuery(std::string_view query) {
  if (!query.empty() && query[0] == '?') query.remove_prefix(1);
  LinkQueryValues read;
  while (!query.empty()) {
    const std::size_t amp = query.find('&');
    const std::string_view pair = query.substr(0, amp);
    query = amp == std::string_view::npos ? std::string_view() : query.substr(amp + 1);
    const std::size_t eq = pair.find('=');
    const std::string name = Unescape(pair.substr(0, eq));
    const auto row = std::find_if(std::begin(kLinkParameters), std::end(kLinkParameters),
                                  [&](const LinkParameter& p) { return p.name == name; });
    if (row == std::end(kLinkParameters)) continue;
    std::optional<std::string>& value =
        read.values[static_cast<std::size_t>(row - std::begin(kLinkParameters))];
    if (value) {
      // TRANSLATORS: %s: a link parameter's name (linkage, at...), kept as it is.
      read.error = Fill(Tr("the link gives %s twice"), {row->name});
      return read;
    }
    value = eq == std::string_view::npos ? std::string() : Unescape(pair.substr(eq + 1));
  }
  if (!read["script"]) return read;
  for (std::size_t i = 0; i < std::size(kLinkParameters); ++i) {
    if (kLinkParameters[i].frame && read.values[i]) {
      // TRANSLATORS: "script" and %s are link parameters' names, kept as they are.
      read.error = Fill(Tr("the link gives both script and %s, which cannot be given together"),
                        {kLinkParameters[i].name});
      return read;
    }
  }
  return read;
}

std::optional<std::string> LinkQuery(double k, Switches switches, const Configuration& config) {
  if (!ScriptReaching(k, switches)) return std::nullopt;
  constexpr LinkParameterName at = "at", acc = "acc", accumulate = "accumulate";
  std::string query = std::string(at.name()) + "=" + GridText(k);
  if (switches.acc) query += "&" + std::string(acc.name()) + "=1";
  if (switches.accumulate) query += "&" + std::string(accumulate.name()) + "=1";
  if (const std::string named = ConfigurationQuery(config); !named.empty()) query += "&" + named;
  return query;
}

namespace {

LinkConfiguration ConfigurationOf(const LinkQueryValues& values) {
  LinkConfiguration out;
  const ConfigurationTexts texts{values["linkage"], values["reference"], values["assembly"],
                                 values["piston"]};
  out.named = texts.linkage || texts.reference || texts.assembly || texts.piston;
  if (const std::optional<ConfigurationError> e = ReadConfiguration(texts, &out.config)) {
    // TRANSLATORS: %1$s: a link parameter's name (kept as it is); %2$s: its value as given;
    // %3$s: what is wrong with it.
    out.error =
        Fill(Tr("bad link value %1$s='%2$s': %3$s"), {e->parameter, Printable(e->text), e->why});
  }
  return out;
}

}  // namespace

LinkConfiguration ReadLinkConfiguration(std::string_view query) {
  const LinkQueryValues values = ReadQuery(query);
  if (!values.error.empty()) {
    LinkConfiguration refused;
    refused.error = values.error;
    return refused;
  }
  return ConfigurationOf(values);
}

std::optional<double> ReadK(std::string_view text) {
  const std::optional<double> k = ReadNumber(text);
  if (!k || std::abs(*k) >= kMostK) return std::nullopt;
  // Within a millionth of a whole number of thousandths: the decimal the text stands for, however
  // it was written ("4.5", "4500e-3"). The quotient of two whole numbers is the double nearest it.
  const double thousandths = *k * 1000, whole = std::round(thousandths);
  if (std::abs(thousandths - whole) > 1e-6) return std::nullopt;
  return whole / 1000;
}

LinkRequest ReadLink(std::string_view query) {
  const LinkQueryValues values = ReadQuery(query);
  const std::optional<std::string>&at = values["at"], &acc = values["acc"],
        &accumulate = values["accumulate"];
  LinkRequest link;
  const LinkConfiguration config = ConfigurationOf(values);
  link.present = at || acc || accumulate || config.named;
  if (!values.error.empty()) {
    link.error = values.error;
    return link;
  }
  if (!link.present) return link;
  if (!config.error.empty()) {
    link.error = config.error;
    return link;
  }
  link.config = config.config;
  const auto bad = [&](LinkParameterName name, const std::string& value, const std::string& why) {
    // TRANSLATORS: %1$s: a link parameter's name (kept as it is); %2$s: its value as given;
    // %3$s: what is wrong with it.
    link.error = Fill(Tr("bad link value %1$s='%2$s': %3$s"), {name.name(), Printable(value), why});
    return link;
  };
  // A switch is 0 or 1, as the page writes it.
  const auto on = [](const std::optional<std::string>& value) { return value && *value == "1"; };
  const auto valid = [](const std::optional<std::string>& value) {
    return !value || *value == "0" || *value == "1";
  };
  if (!valid(acc)) return bad("acc", *acc, Tr("expected 0 or 1"));
  if (!valid(accumulate)) return bad("accumulate", *accumulate, Tr("expected 0 or 1"));
  if (at && !ReadNumber(*at)) return bad("at", *at, Tr("not a number"));
  const std::optional<double> k = at ? ReadK(*at) : sweep::kFirstK;
  const std::optional<std::string> script =
      k ? ScriptReaching(*k, {.acc = on(acc), .accumulate = on(accumulate)}) : std::nullopt;
  // TRANSLATORS: %s: the values that work (k from -100 to 20 in steps of 0.025).
  if (!script) return bad("at", *at, Fill(Tr("expected %s"), {Tr(kReachableK)}));
  link.script = *script;
  return link;
}

}  // namespace tarsel
