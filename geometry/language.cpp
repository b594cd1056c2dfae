#include "geometry/language.h"

#include <cctype>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <filesystem>

#ifndef __EMSCRIPTEN__
#include <libintl.h>
#endif

namespace tarsel {

namespace {

#ifndef __EMSCRIPTEN__
constexpr char kDomain[] = "tarsel";
#endif

// Every catalogue the page has handed over stays: a text looked up earlier may still be held
// by a caller after the student chose another language. There are a handful at most.
std::deque<std::map<std::string, std::string>>& Catalogues() {
  static std::deque<std::map<std::string, std::string>> catalogues;
  return catalogues;
}
const std::map<std::string, std::string>* catalogue = nullptr;
bool system_language = false;

const char* Looked(const std::string& key, const char* english) {
  if (catalogue) {
    const auto found = catalogue->find(key);
    return found == catalogue->end() || found->second.empty() ? english : found->second.c_str();
  }
#ifndef __EMSCRIPTEN__
  if (system_language) {
    const char* translated = dgettext(kDomain, key.c_str());
    // gettext gives back its argument where it has no translation: here a temporary.
    return translated == key.c_str() || std::strcmp(translated, key.c_str()) == 0 ? english
                                                                                  : translated;
  }
#endif
  return english;
}

bool Named(const char* value) {
  return value && *value;
}

}  // namespace

const char* Tr(const char* english) {
  if (!catalogue && !system_language) return english;
  return Looked(english, english);
}

const char* TrC(const char* context, const char* english) {
  if (!catalogue && !system_language) return english;
  return Looked(std::string(context) + '\x04' + english, english);
}

std::string Fill(std::string_view pattern, std::initializer_list<std::string_view> args) {
  std::string out;
  std::size_t next = 0;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] != '%' || i + 1 == pattern.size()) {
      out += pattern[i];
      continue;
    }
    if (pattern[i + 1] == '%') {
      out += '%';
      ++i;
      continue;
    }
    std::size_t index = next, j = i + 1;
    if (std::isdigit(static_cast<unsigned char>(pattern[j]))) {
      std::size_t n = 0;
      while (j < pattern.size() && std::isdigit(static_cast<unsigned char>(pattern[j]))) {
        n = n * 10 + static_cast<std::size_t>(pattern[j] - '0');
        ++j;
      }
      if (j >= pattern.size() || pattern[j] != '$' || n == 0) {
        out += pattern[i];
        continue;
      }
      index = n - 1;
      ++j;
    }
    if (j >= pattern.size() || pattern[j] != 's' || index >= args.size()) {
      out += pattern[i];
      continue;
    }
    out += args.begin()[index];
    next = index + 1;
    i = j;
  }
  return out;
}

const char* DecimalSeparator() {
  return TrC("decimal separator", ".");
}

namespace {

constexpr std::string_view kLeftToRightMark = "\u200E";

bool RightToLeft() {
  // TRANSLATORS: "rtl" for a language written from right to left, else "ltr" as it stands.
  return std::string_view(TrC("text direction", "ltr")) == "rtl";
}

}  // namespace

std::string LocalNumbers(std::string_view text) {
  const std::string_view separator = DecimalSeparator();
  const bool rtl = RightToLeft();
  if (separator == "." && !rtl) return std::string(text);
  const auto digit = [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; };
  std::string local;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const bool next_digit = i + 1 < text.size() && digit(text[i + 1]);
    if (text[i] == '.' && i > 0 && next_digit && digit(text[i - 1])) {
      local += separator;
    } else {
      // Once: the readout's lines may pass through here twice.
      if (text[i] == '-' && next_digit && rtl && !local.ends_with(kLeftToRightMark)) {
        local += kLeftToRightMark;
      }
      local += text[i];
    }
  }
  return local;
}

std::string PointNumber(std::string_view typed) {
  const std::string_view separator = DecimalSeparator();
  // Built by appending: GCC 12 warns of an overlap that cannot happen in replace() here.
  std::string out;
  for (std::size_t i = 0; i < typed.size();) {
    if (typed.substr(i).starts_with(kLeftToRightMark)) {
      i += kLeftToRightMark.size();
    } else if (separator != "." && !separator.empty() && typed.substr(i).starts_with(separator)) {
      out += '.';
      i += separator.size();
    } else {
      out += typed[i++];
    }
  }
  return out;
}

std::string LocaleDir(const std::string& program) {
  if (const char* dir = std::getenv("TARSEL_LOCALEDIR"); Named(dir)) return dir;
  namespace fs = std::filesystem;
  std::error_code error;
  const fs::path folder = fs::path(program).parent_path();
  // A build tree has locale/ beside the folders of the programs; an installed program has
  // share/locale beside its bin/.
  if (fs::is_directory(folder.parent_path() / "locale", error)) {
    return (folder.parent_path() / "locale").string();
  }
  return (folder.parent_path() / "share" / "locale").string();
}

void UseSystemLanguage(const std::string& locale_dir) {
#ifndef __EMSCRIPTEN__
  // gettext ignores LANGUAGE under the "C" locale, and a language named by LANG whose locale
  // is not installed leaves the messages in "C": the messages then take C.UTF-8 (always there
  // with glibc), and the language LANG names, as LANGUAGE would.
  const char* messages = std::setlocale(LC_MESSAGES, "");
  if (!messages || std::strcmp(messages, "C") == 0 || std::strcmp(messages, "POSIX") == 0) {
    std::setlocale(LC_MESSAGES, "C.UTF-8");
    if (!Named(std::getenv("LANGUAGE"))) {
      for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (!Named(value)) continue;
        std::string language(value);
        language = language.substr(0, language.find_first_of(".@"));
        if (language != "C" && language != "POSIX") setenv("LANGUAGE", language.c_str(), 1);
        break;
      }
    }
  }
  // Data is written and read with decimal points in every language: a toolkit that took the
  // user's whole locale gives the numbers back to "C" here.
  std::setlocale(LC_NUMERIC, "C");
  bindtextdomain(kDomain, locale_dir.c_str());
  bind_textdomain_codeset(kDomain, "UTF-8");
  system_language = true;
#else
  (void)locale_dir;
#endif
}

void UseCatalogue(std::map<std::string, std::string> entries) {
  if (entries.empty()) {
    catalogue = nullptr;
    return;
  }
  Catalogues().push_back(std::move(entries));
  catalogue = &Catalogues().back();
}

void UseCatalogueEntries(std::string_view text) {
  std::map<std::string, std::string> catalogue;
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t end = std::min(text.find('\x1e', at), text.size());
    const std::string_view entry = text.substr(at, end - at);
    const std::size_t split = entry.find('\x1f');
    if (split != std::string_view::npos) {
      catalogue.emplace(entry.substr(0, split), entry.substr(split + 1));
    }
    at = end + 1;
  }
  UseCatalogue(std::move(catalogue));
}

}  // namespace tarsel
