#pragma once

#include <initializer_list>
#include <map>
#include <string>
#include <string_view>

namespace tarsel {

// The interface's words in the student's language. English is the source: a text is looked up
// by its English form in the catalogue of the language in use, and where that catalogue has no
// translation the English stands, text by text. po/extract.sh finds the texts by these names, so
// a text to translate is always a string literal passed straight to one of them.

// `english` in the language in use.
const char* Tr(const char* english);
// The same for an English text that has more than one sense: `context` tells them apart, and
// tells the translator what the text is (TrC("decimal separator", ".")).
const char* TrC(const char* context, const char* english);
// Marks a text kept in a table for the catalogue; the table's user passes it through Tr() where
// it is shown.
constexpr const char* TrMark(const char* english) {
  return english;
}

// A pattern from the catalogue filled in: "%s" takes the next argument, "%2$s" the second (a
// translation may put them in another order), "%%" is a percent sign. Every argument is text:
// numbers are written first, with LocalNumbers where the student reads them.
std::string Fill(std::string_view pattern, std::initializer_list<std::string_view> args);

// A text with numbers written with decimal points, as the language in use writes them: every
// point between two digits becomes the language's decimal separator ("k = 4.500" is
// "k = 4,500" in German). In a language written right to left, a minus sign before a digit
// gets a left-to-right mark before it, so that it stays on the left of its number ("-13.2",
// not "13.2-"). Data (CSV, the draw log, SVG, the report) never goes through it.
std::string LocalNumbers(std::string_view text);
// A number typed as the language writes it, back to the decimal point the number readers take:
// the language's decimal separator becomes ".", and left-to-right marks (a number copied from
// the readout) are dropped. Nothing else changes, so a wrong number stays wrong and its error
// names what was typed.
std::string PointNumber(std::string_view typed);
// The language's decimal separator ("." or ",").
const char* DecimalSeparator();

// On the desktop, the system's gettext catalogues (LL/LC_MESSAGES/tarsel.mo under
// `locale_dir`), in the language LANGUAGE, LC_ALL, LC_MESSAGES or LANG name, as every gettext
// program chooses it. The numeric locale stays "C": data is written and read with decimal
// points whatever the language.
void UseSystemLanguage(const std::string& locale_dir);
// The folder of the catalogues for a program at `program` (its /proc/self/exe): $TARSEL_LOCALEDIR
// if set, else the build tree's locale/ beside the program's folder, else ../share/locale.
std::string LocaleDir(const std::string& program);

// In the page, the catalogue it fetched for the language the student chose: English text (or
// context "\x04" English text) to translation. An empty catalogue is English.
void UseCatalogue(std::map<std::string, std::string> entries);
// The same catalogue as the page passes it into a module: each entry "key\x1ftranslation\x1e".
void UseCatalogueEntries(std::string_view entries);

}  // namespace tarsel
