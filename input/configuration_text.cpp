#include "input/configuration_text.h"

#include <vector>

#include "geometry/language.h"
#include "input/number.h"

namespace tarsel {

namespace {

std::string Numbers(std::initializer_list<double> values) {
  std::string out;
  for (const double v : values) out += (out.empty() ? "" : ",") + NumberText(v);
  return out;
}

// One parameter's numbers into the fields `into`, or why not.
bool ReadInto(const std::optional<std::string>& text, std::initializer_list<double*> into) {
  if (!text) return true;
  const std::optional<std::vector<double>> numbers = ReadNumbers(*text, into.size());
  if (!numbers) return false;
  std::size_t i = 0;
  for (double* field : into) *field = (*numbers)[i++];
  return true;
}

}  // namespace

std::optional<ConfigurationError> ReadConfiguration(const ConfigurationTexts& texts,
                                                    Configuration* out) {
  Configuration c;
  if (!ReadInto(texts.linkage, {&c.ground, &c.crank, &c.coupler, &c.rocker})) {
    return ConfigurationError{
        "linkage", *texts.linkage,
        // TRANSLATORS: G,A,C,B are the four numbers' names and O, P, Q, R the points' names in
        // the picture, kept as they are.
        Tr("expected four numbers G,A,C,B (the fixed line O-Q, the crank O-P, the coupler P-R, "
           "the rocker Q-R)")};
  }
  if (texts.reference) {
    const std::optional<double> reference = ReadNumber(*texts.reference);
    if (!reference) return ConfigurationError{"reference", *texts.reference, Tr("not a number")};
    c.reference = *reference;
  }
  if (texts.assembly && !AssemblyNamed(*texts.assembly, &c.assembly)) {
    // TRANSLATORS: "open" and "crossed" are the values to type, kept as they are.
    return ConfigurationError{"assembly", *texts.assembly, Tr("expected open or crossed")};
  }
  if (!ReadInto(texts.piston, {&c.piston_radius, &c.rod})) {
    return ConfigurationError{
        "piston", *texts.piston,
        // TRANSLATORS: R,L are the two numbers' names, kept as they are.
        Tr("expected two numbers R,L (the crank radius, the connecting rod)")};
  }
  for (const Problem& p : Problems(c)) {
    const std::optional<std::string>& text = p.parameter == "linkage"     ? texts.linkage
                                             : p.parameter == "reference" ? texts.reference
                                             : p.parameter == "assembly"  ? texts.assembly
                                                                          : texts.piston;
    return ConfigurationError{p.parameter, text.value_or(""), p.text};
  }
  *out = c;
  return std::nullopt;
}

ConfigurationTexts TextsOf(const Configuration& c) {
  return {Numbers({c.ground, c.crank, c.coupler, c.rocker}), NumberText(c.reference),
          std::string(NameOf(c.assembly)), Numbers({c.piston_radius, c.rod})};
}

std::string ConfigurationQuery(const Configuration& c) {
  const Configuration built_in;
  const ConfigurationTexts texts = TextsOf(c);
  std::string query;
  const auto add = [&](const char* name, const std::optional<std::string>& value) {
    query += (query.empty() ? "" : "&") + std::string(name) + "=" + *value;
  };
  if (c.ground != built_in.ground || c.crank != built_in.crank || c.coupler != built_in.coupler ||
      c.rocker != built_in.rocker) {
    add("linkage", texts.linkage);
  }
  if (c.reference != built_in.reference) add("reference", texts.reference);
  if (c.assembly != built_in.assembly) add("assembly", texts.assembly);
  if (c.piston_radius != built_in.piston_radius || c.rod != built_in.rod) {
    add("piston", texts.piston);
  }
  return query;
}

}  // namespace tarsel
