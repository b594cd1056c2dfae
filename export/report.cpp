#include "export/report.h"

#include <initializer_list>
#include <optional>

namespace tarsel {

namespace {

std::string List(std::initializer_list<double> values) {
  std::string out = "[";
  for (const double v : values) out += (out.size() > 1 ? ", " : "") + NumberText(v);
  return out + "]";
}

std::string RangeJson(const std::optional<Range>& r) {
  return r ? List({r->least, r->most}) : "null";
}

std::string EventsJson(const std::optional<ValveEvents>& e) {
  if (!e) return "null";
  const ValveEvents crank = InCrankDegrees(*e);
  return "{\"opening\": " + NumberText(e->opening) + ", \"closing\": " + NumberText(e->closing) +
         ", \"peak\": " + NumberText(e->peak) + ", \"duration\": " + NumberText(e->duration) +
         ", \"opening_crank\": " + NumberText(crank.opening) +
         ", \"closing_crank\": " + NumberText(crank.closing) +
         ", \"peak_crank\": " + NumberText(crank.peak) +
         ", \"duration_crank\": " + NumberText(crank.duration) + "}";
}

}  // namespace

std::string TimingJson(const FrameTiming& t) {
  return "{\"threshold\": " + NumberText(t.threshold) + ",\n  \"red\": " + EventsJson(t.red) +
         ",\n  \"green\": " + EventsJson(t.green) + ",\n  \"blue\": " + EventsJson(t.blue) + "}";
}

std::string ReportJson(const Configuration& c, const LinkageAnalysis& a,
                       const FrameTiming* timing) {
  std::string closes = "[";
  for (const AngleInterval& i : a.closes) {
    closes += (closes.size() > 1 ? ", " : "") + List({i.from, i.to});
  }
  std::string open = "[";
  for (const OpenInterval& o : a.open) {
    open += std::string(open.size() > 1 ? ", " : "") + "{\"from\": " + NumberText(o.where.from) +
            ", \"to\": " + NumberText(o.where.to) + ", \"why\": \"" +
            (o.why == OpenReason::kTooFar ? "too far" : "too near") + "\"}";
  }
  return "{\"configuration\": {\"linkage\": " + List({c.ground, c.crank, c.coupler, c.rocker}) +
         ", \"reference\": " + NumberText(c.reference) + ", \"assembly\": \"" +
         std::string(NameOf(c.assembly)) + "\", \"piston\": " + List({c.piston_radius, c.rod}) +
         "},\n \"grashof\": {\"class\": \"" + std::string(NameOf(a.grashof)) +
         "\", \"s_plus_l\": " + NumberText(a.s_plus_l) +
         ", \"p_plus_q\": " + NumberText(a.p_plus_q) + "},\n \"closes\": " + closes +
         "], \"open\": " + open + "],\n \"transmission_angle\": " + RangeJson(a.transmission) +
         ", \"phi\": " + RangeJson(a.phi) + ", \"phase_offset\": " + RangeJson(a.phase_offset) +
         ", \"rocker\": " + RangeJson(a.rocker) + ",\n \"stroke\": " + NumberText(a.stroke) +
         (timing ? ",\n \"timing\": " + TimingJson(*timing) : "") + "}\n";
}

}  // namespace tarsel
