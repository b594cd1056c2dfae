// The entry points of the explore controls: another configuration from the page's fields, and
// what the panel shows of the configuration on the page.
#include "web/explore.h"

#include <emscripten.h>

#include <string>
#include <string_view>
#include <vector>

#include "export/report.h"
#include "geometry/linkage_analysis.h"
#include "input/configuration_text.h"
#include "input/link.h"
#include "render/analysis_view.h"
#include "web/exports.h"
#include "web/json.h"

namespace tarsel::explore {

namespace {
Configuration current;
}  // namespace

const Configuration& Current() {
  return current;
}

void SetCurrent(const Configuration& c) {
  current = c;
}

}  // namespace tarsel::explore

namespace {

using tarsel::page::Quoted;

// What the panel shows: the report, the lines that explain it, where each field's slider keeps
// the linkage turning all round, and the query of a link to the configuration.
std::string ExploreJson(const tarsel::Configuration& c) {
  const tarsel::LinkageAnalysis a = tarsel::Analyse(c);
  std::string lines;
  for (const tarsel::ReadoutLine& l : tarsel::AnalysisLines(c, a)) {
    lines += (lines.empty() ? "" : ",") + std::string("[") + Quoted(l.key) + "," + Quoted(l.label) +
             "," + Quoted(l.value) + "]";
  }
  std::string spans, values, words;
  for (const tarsel::ConfigurationField& f : tarsel::kConfigurationFields) {
    std::string list;
    const std::vector<tarsel::Range> good = tarsel::SliderSpans(c, f);
    words +=
        (words.empty() ? "" : ",") + Quoted(f.key) + ":" + Quoted(tarsel::SliderSpansText(f, good));
    for (const tarsel::Range& r : good) {
      list += (list.empty() ? "[" : ",[") + tarsel::NumberText(r.least) + "," +
              tarsel::NumberText(r.most) + "]";
    }
    spans += (spans.empty() ? "" : ",") + Quoted(f.key) + ":[" + list + "]";
    values += (values.empty() ? "" : ",") + Quoted(f.key) + ":" + tarsel::NumberText(c.*f.value);
  }
  return "{\"report\":" + tarsel::ReportJson(c, a) +
         ",\"builtin\":" + (tarsel::IsBuiltIn(c) ? "true" : "false") + ",\"values\":{" + values +
         "},\"assembly\":" + Quoted(tarsel::NameOf(c.assembly)) +
         ",\"query\":" + Quoted(tarsel::ConfigurationQuery(c)) + ",\"lines\":[" + lines +
         "],\"spans\":{" + spans + "},\"spansText\":{" + words + "}}";
}

}  // namespace

extern "C" {

// Another configuration, from the page's fields in the words of a link
// ("linkage=G,A,C,B&reference=R&assembly=crossed&piston=R,L"; a parameter left out keeps its
// built-in value). Empty when it is taken: the running animation draws the frame on the canvas
// again with it once the page has queued wire::kConfigure, and the next run starts with it.
// Otherwise one line naming the value and why, and nothing changes.
EMSCRIPTEN_KEEPALIVE const char* tarsel_configure(const char* query) {
  static std::string error;
  const tarsel::LinkConfiguration read = tarsel::ReadLinkConfiguration(query);
  error = read.error;
  if (!error.empty()) return error.c_str();
  tarsel::explore::SetCurrent(read.config);
  if (tarsel::PageSurface* live = tarsel::exports::Live()) live->StageConfiguration(read.config);
  return "";
}

// The query of a link to the configuration on the page ("" for the built-in one): cheap, for
// the page's history of changes, which cannot wait for the panel's account.
EMSCRIPTEN_KEEPALIVE const char* tarsel_configuration_query() {
  static std::string query;
  query = tarsel::ConfigurationQuery(tarsel::explore::Current());
  return query.c_str();
}

// The panel's account of the configuration on the page, as JSON (ExploreJson). It takes a few
// milliseconds (the slider's spans solve the linkage over many lengths): the page asks for it
// after the frame with the new configuration is on the canvas.
EMSCRIPTEN_KEEPALIVE const char* tarsel_explore() {
  static std::string json;
  json = ExploreJson(tarsel::explore::Current());
  return json.c_str();
}

}  // extern "C"
