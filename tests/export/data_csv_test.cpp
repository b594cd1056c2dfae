// The data export against the closed forms of the linkage and the piston: every row closes the
// linkage, phi and ff agree, the edge cases of both mechanisms come out, and every number reads
// back to the double it was written from.
#include "export/data_csv.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "animation/driver.h"
#include "tests/support/recording_surface.h"

namespace tarsel {
namespace {

using Row = std::vector<double>;

// The header and the rows, each field read back with strtod (which must take all of it). With
// separator ';' the fields have decimal commas, read as points; an empty field reads as NaN.
std::vector<Row> Parse(const std::string& csv, const std::string& header, char separator = ',') {
  std::istringstream in(csv);
  std::string line;
  std::getline(in, line);
  EXPECT_EQ(line, header);
  std::vector<Row> rows;
  while (std::getline(in, line)) {
    Row row;
    std::istringstream fields(line + separator);
    for (std::string field; std::getline(fields, field, separator);) {
      if (field.empty()) {
        row.push_back(std::nan(""));
        continue;
      }
      if (separator == ';') {
        EXPECT_EQ(field.find('.'), std::string::npos) << field;
        std::replace(field.begin(), field.end(), ',', '.');
      }
      char* end = nullptr;
      row.push_back(std::strtod(field.c_str(), &end));
      EXPECT_EQ(*end, '\0') << field;
    }
    rows.push_back(row);
  }
  EXPECT_EQ(csv.back(), '\n');
  return rows;
}

using testing::Started;

enum Column { kN, kK, kXa, kYa, kXb, kYb, kTheta, kFf, kBlueX, kPx, kPy, kRx, kRy, kPhi };

TEST(LinkageCsv, EveryRowClosesTheLinkageAndAgreesWithTheClosedForm) {
  for (const double k : {4.5, 9.75, 20.0, -41.375}) {
    const SharedState state = Started(k);
    const std::vector<Row> rows = Parse(LinkageCsv(state), kLinkageCsvHeader);
    ASSERT_EQ(rows.size(), 200u);
    for (const Row& row : rows) {
      ASSERT_EQ(row.size(), 14u);
      const int n = static_cast<int>(row[kN]);
      SCOPED_TRACE(::testing::Message() << "k " << k << ", n " << n);
      const auto& t = state.tables;
      ASSERT_EQ(row[kK], k);
      ASSERT_EQ(row[kXa], t.xa[n]);
      ASSERT_EQ(row[kYa], t.ya[n]);
      ASSERT_EQ(row[kXb], t.xb[n]);
      ASSERT_EQ(row[kYb], t.yb[n]);
      const double theta = row[kTheta];
      ASSERT_EQ(theta, k - (state.pi * t.xb[n]) / 180);
      const double px = row[kPx], py = row[kPy], rx = row[kRx], ry = row[kRy];
      ASSERT_NEAR(std::hypot(px, py), 7, 1e-9);
      ASSERT_NEAR(std::hypot(rx - px, ry - py), 25, 1e-9);
      ASSERT_NEAR(std::hypot(rx - 31.5, ry), 31, 1e-9);
      ASSERT_NEAR(std::atan2(py, px), std::remainder(theta, 2 * state.pi), 1e-12);
      // phi is the direction of OR; ff is twice its difference from ww = 65.
      ASSERT_NEAR(row[kPhi], std::atan2(ry, rx) * 180 / state.pi, 1e-10);
      ASSERT_EQ(row[kFf], 2 * (65 - row[kPhi]));
      ASSERT_EQ(row[kBlueX], 65 - t.xb[n] + row[kFf]);
      // The phase offset by the library's inverse sine and cosine, one triangle after another.
      const double d = std::sqrt(31.5 * 31.5 + 49 - 2 * 31.5 * 7 * std::cos(theta));
      const double rocker =
          std::asin(7 * std::sin(theta) / d) + std::acos((d * d + 31 * 31 - 625) / (2 * d * 31));
      const double e = std::sqrt(31 * 31 + 31.5 * 31.5 - 2 * 31 * 31.5 * std::cos(rocker));
      ASSERT_NEAR(row[kFf], 2 * (65 - std::asin(31 * std::sin(rocker) / e) * 180 / state.pi),
                  1e-11);
    }
  }
}

TEST(LinkageCsv, TheSolversEdgeCasesAppearInTheirRows) {
  // k chosen so that point 120 is solved at exactly theta = 0, then at a quarter turn further.
  SharedState state = Started(0);
  const double xb = state.tables.xb[120], pi = state.pi;
  struct Case {
    double turn, d, ff;
  };
  for (const Case& c : {Case{0, 24.5, 3.8307597}, Case{pi / 2, 32.268406, 10.6442696},
                        Case{pi, 38.5, -7.1246156}, Case{3 * pi / 2, 32.268406, -13.0318594}}) {
    state.k = (pi * xb) / 180 + c.turn;
    const Row row = Parse(LinkageCsv(state), kLinkageCsvHeader)[119];
    SCOPED_TRACE(c.turn);
    EXPECT_NEAR(row[kTheta], c.turn, 1e-14);
    EXPECT_NEAR(std::hypot(row[kPx] - 31.5, row[kPy]), c.d, 1e-6);
    EXPECT_NEAR(row[kFf], c.ff, 1e-7);
  }
  state.k = (pi * xb) / 180;
  const Row zero = Parse(LinkageCsv(state), kLinkageCsvHeader)[119];
  EXPECT_EQ(zero[kTheta], 0);
  EXPECT_EQ(zero[kPx], 7);
  EXPECT_EQ(zero[kPy], 0);
}

TEST(PistonCsv, TheCurvesPointsWithTheirCrankAngleAndTravel) {
  const SharedState state = Started(4.5);
  const std::vector<Row> rows = Parse(PistonCsv(state), kPistonCsvHeader);
  ASSERT_EQ(rows.size(), 943u);
  const double pi = state.pi;
  // Bottom of the stroke at -pi, drawn at -75.
  EXPECT_EQ(rows.front()[1], -pi);
  EXPECT_NEAR(rows.front()[2], 51, 1e-12);
  EXPECT_NEAR(rows.front()[3], -75, 1e-12);
  EXPECT_NEAR(rows.front()[4], 55.85, 1e-12);
  const Row* near_top = &rows.front();
  for (const Row& row : rows) {
    ASSERT_EQ(row.size(), 5u);
    ASSERT_NEAR(row[4] - row[2], 4.85, 1e-12);
    ASSERT_NEAR(row[3], 15 + 90 * row[1] / pi, 1e-12);
    const double theta = row[1];
    const double xp =
        25.5 * std::cos(theta) + std::sqrt(100 * 100 - std::pow(25.5 * std::sin(theta), 2));
    ASSERT_NEAR(row[2], 125.5 - xp, 1e-12);
    if (std::abs(row[1]) < std::abs((*near_top)[1])) near_top = &row;
  }
  // The point nearest the top, 0.0015927 short of it; the last, near 6.2784.
  EXPECT_NEAR((*near_top)[1], -0.0015927, 1e-7);
  EXPECT_NEAR((*near_top)[4], 4.8500406, 1e-7);
  EXPECT_NEAR(rows.back()[1], 6.2784, 1e-4);
  EXPECT_NEAR(rows.back()[4], 4.8504, 1e-4);
  EXPECT_EQ(rows.back()[0], 943);
}

TEST(CsvNumbers, ReadBackToTheSameDoubleInTheFewestDigits) {
  const auto text = [](double v) {
    std::string s;
    AppendNumber(s, v);
    return s;
  };
  EXPECT_EQ(text(4.5), "4.5");
  EXPECT_EQ(text(65), "65");
  EXPECT_EQ(text(0.002), "0.002");
  EXPECT_EQ(text(-102.9599331), "-102.9599331");
  EXPECT_EQ(text(0.1 + 0.2), "0.30000000000000004");
  for (const double v : {1.0 / 3, -2.0 / 3, 1e-300, 4.9e-324, 1.7976931348623157e308,
                         100.01164708353656, 6.2784 + 1e-15, -0.0015926535897929917}) {
    EXPECT_EQ(std::strtod(text(v).c_str(), nullptr), v) << text(v);
  }
}

// The semicolon form of each file: its bytes are the comma form's with each "," turned into ";"
// and then each "." into ",", and its cells read back (decimal commas as points) to the very
// doubles of the comma form, empty cells staying empty.
TEST(CsvStyles, TheSemicolonFormHoldsTheSameNumbersWithSemicolonsAndDecimalCommas) {
  const SharedState state = Started(9.75);
  // Two frames of timing data: one with events, one whose trace never reaches the checking lift.
  const std::vector<SweepFrame> frames = {
      {.k = 4.5, .blue = ValveEvents{-31.25, 47.5, 8.125, 78.75}, .red = std::nullopt},
      {.k = 20, .blue = std::nullopt, .red = std::nullopt}};
  struct Case {
    const char* name;
    std::string comma, semicolon;
    const char* header;
  };
  const Case cases[] = {
      {"the frame's data", LinkageCsv(state), LinkageCsv(state, CsvStyle::kSemicolon),
       kLinkageCsvHeader},
      {"the piston curve", PistonCsv(state), PistonCsv(state, CsvStyle::kSemicolon),
       kPistonCsvHeader},
      {"the timing data", TimingCsv(frames), TimingCsv(frames, CsvStyle::kSemicolon),
       kTimingCsvHeader},
  };
  EXPECT_EQ(LinkageCsv(state, CsvStyle::kComma), cases[0].comma);  // the default
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string swapped = c.comma;
    std::replace(swapped.begin(), swapped.end(), ',', ';');
    std::replace(swapped.begin(), swapped.end(), '.', ',');
    EXPECT_EQ(c.semicolon, swapped);
    std::string header = c.header;
    std::replace(header.begin(), header.end(), ',', ';');
    const std::vector<Row> want = Parse(c.comma, c.header);
    const std::vector<Row> got = Parse(c.semicolon, header, ';');
    ASSERT_EQ(got.size(), want.size());
    for (std::size_t i = 0; i < got.size(); ++i) {
      ASSERT_EQ(got[i].size(), want[i].size()) << "row " << i;
      // Bit for bit, so that an empty cell (NaN) matches only an empty cell.
      EXPECT_EQ(std::memcmp(got[i].data(), want[i].data(), got[i].size() * sizeof(double)), 0)
          << "row " << i;
    }
  }
  // The timing data's bytes, written out: in crank degrees each event is twice the plot's less
  // 30, the duration twice the plot's.
  EXPECT_EQ(TimingCsv(frames, CsvStyle::kSemicolon),
            "k;opening;closing;peak;duration;opening_crank;closing_crank;peak_crank;"
            "duration_crank\n"
            "4,5;-31,25;47,5;8,125;78,75;-92,5;65;-13,75;157,5\n"
            "20;;;;;;;;\n");
  EXPECT_EQ(CsvStyleNamed("semicolon"), CsvStyle::kSemicolon);
  EXPECT_EQ(CsvStyleNamed("comma"), CsvStyle::kComma);
  EXPECT_EQ(CsvStyleNamed("Semicolon"), std::nullopt);
}

}  // namespace
}  // namespace tarsel
