// The real window on Qt's offscreen platform: its caption, how key presses become character
// codes, and the ways the program ends while the animation runs.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <fstream>
#include <functional>
#include <optional>
#include <vector>

#include "app/form1.h"
#include "app/image_view.h"
#include "app/key_codes.h"
#include "app/panel.h"
#include "app/plot_overlay.h"
#include "app/timing_section.h"
#include "export/replay.h"
#include "export/report.h"
#include "input/handlers.h"
#include "render/plot_labels.h"
#include "render/timing_view.h"
#include "tests/support/recording_surface.h"
#include "tests/support/render_run.h"

namespace tarsel {
namespace {

TEST(Form, CaptionIsTheUserGuide) {
  Form1 form;
  const QString caption = form.windowTitle();
  EXPECT_EQ(caption.size(), 156);
  EXPECT_TRUE(caption.startsWith("    KLEM / Tarsel        GEOMETRY EXPLAIN          USE:"));
  EXPECT_TRUE(caption.endsWith("Acceleration     DoubleClick or ESC to Quit"));
  EXPECT_TRUE(caption.contains("SpaceBar , /  Enter Tab    USE: BackSpace for Velocity"));
  EXPECT_EQ(form.size(), QSize(962, 688));
}

// The codes a key press gives the handler, for a press as X11 and Qt report it.
std::vector<int> Codes(int key, Qt::KeyboardModifiers mods = Qt::NoModifier,
                       const QString& text = QString()) {
  return CharacterCodes(QKeyEvent(QEvent::KeyPress, key, mods, text));
}

TEST(KeyCodes, KeysReachTheHandlerAsCharacterCodes) {
  EXPECT_EQ(Codes(Qt::Key_Tab, Qt::NoModifier, "\t"), std::vector<int>{9});
  EXPECT_EQ(Codes(Qt::Key_Backtab, Qt::ShiftModifier), std::vector<int>{9});
  EXPECT_EQ(Codes(Qt::Key_Backspace, Qt::NoModifier, "\b"), std::vector<int>{8});
  EXPECT_EQ(Codes(Qt::Key_Return, Qt::NoModifier, "\r"), std::vector<int>{13});
  EXPECT_EQ(Codes(Qt::Key_Enter, Qt::KeypadModifier, "\r"), std::vector<int>{13});
  EXPECT_EQ(Codes(Qt::Key_Escape, Qt::NoModifier, "\x1b"), std::vector<int>{27});
  EXPECT_EQ(Codes(Qt::Key_H, Qt::ControlModifier, "\b"), std::vector<int>{8});
  EXPECT_EQ(Codes(Qt::Key_BracketLeft, Qt::ControlModifier), std::vector<int>{27});
  const QString typed = ",/ a<?";
  std::vector<int> codes;
  for (const QChar c : typed) {
    for (const int code : Codes(c.toUpper().unicode(), Qt::NoModifier, QString(c))) {
      codes.push_back(code);
    }
  }
  EXPECT_EQ(codes, (std::vector<int>{44, 47, 32, 97, 60, 63}));
  // Characters outside the basic plane arrive as their two UTF-16 units.
  EXPECT_EQ(Codes(0, Qt::NoModifier, QString::fromUtf8("\xF0\x9F\x99\x82")),
            (std::vector<int>{0xD83D, 0xDE42}));
}

TEST(KeyCodes, KeysWithoutACharacterDoNothing) {
  EXPECT_TRUE(Codes(Qt::Key_Left).empty());
  EXPECT_TRUE(Codes(Qt::Key_F5).empty());
  EXPECT_TRUE(Codes(Qt::Key_Shift, Qt::ShiftModifier).empty());
  // X11 reports Delete with the DEL character as its text; it is an editing key.
  EXPECT_TRUE(Codes(Qt::Key_Delete, Qt::NoModifier, "\x7f").empty());
}

TEST(Form, TabDoesNotMoveTheFocus) {
  Form1 form;
  form.show();
  form.activateWindow();
  form.setFocus();
  QTest::keyClick(&form, Qt::Key_Tab);
  EXPECT_TRUE(form.hasFocus() || QApplication::focusWidget() == nullptr);
}

// Runs the real program loop: shows the window, then runs `step` from a timer inside the
// animation's event processing until it returns true. Returns the exit code of the loop.
int RunWindow(Form1& form, const std::function<bool(Form1&)>& step) {
  QTimer timer;
  timer.setInterval(5);
  QObject::connect(&timer, &QTimer::timeout, [&] {
    if (step(form)) timer.stop();
  });
  // A test that goes wrong must fail, not hang: after 20 s the window is closed, which ends
  // the animation wherever it is (also inside its wait for a key), and the run reports 99.
  bool timed_out = false;
  QTimer watchdog;
  watchdog.setSingleShot(true);
  QObject::connect(&watchdog, &QTimer::timeout, [&] {
    timed_out = true;
    form.close();
    QCoreApplication::exit(99);
  });
  watchdog.start(20000);
  timer.start();
  form.show();
  const int code = QCoreApplication::exec();
  return timed_out ? 99 : code;
}

TEST(Form, FirstActivationStartsTheAnimationAndEscapeEndsIt) {
  Form1 form;
  int stage = 0;
  const int code = RunWindow(form, [&stage](Form1& f) {
    if (f.waits_begun() == 1 && stage == 0) {
      QTest::keyClick(&f, Qt::Key_A);
      stage = 1;
    } else if (f.waits_begun() == 2 && stage == 1) {
      QTest::keyClick(&f, Qt::Key_Escape);
      return true;
    }
    return false;
  });
  EXPECT_EQ(code, 0);
  EXPECT_EQ(form.waits_begun(), 2);
  EXPECT_DOUBLE_EQ(form.state().k, 4.75);
  EXPECT_TRUE(form.state().ended);
  EXPECT_FALSE(form.isVisible());
  // Escape cleared the window before the end.
  const Image& img = form.canvas().image();
  EXPECT_EQ(img.pixels, Image(img.width, img.height, img.dpr).pixels);
}

TEST(Form, OnlyTheFirstActivationStartsTheAnimation) {
  Form1 form;
  int stage = 0;
  const int code = RunWindow(form, [&stage](Form1& f) {
    if (f.waits_begun() == 1 && stage == 0) {
      // The window is activated again (the user came back to it): nothing new starts.
      QEvent activate(QEvent::WindowActivate);
      QCoreApplication::sendEvent(&f, &activate);
      stage = 1;
    } else if (stage == 1) {
      QTest::keyClick(&f, Qt::Key_A);
      stage = 2;
    } else if (f.waits_begun() == 2 && stage == 2) {
      QTest::keyClick(&f, Qt::Key_Escape);
      return true;
    }
    return false;
  });
  EXPECT_EQ(code, 0);
  EXPECT_EQ(form.waits_begun(), 2);
  EXPECT_DOUBLE_EQ(form.state().k, 4.75);
}

TEST(Form, KeysBeforeTheFirstEventProcessingAreHandledInOrder) {
  Form1 form;
  // BackSpace, "/" and "," before the animation has started: both switches flip, k moves by
  // four steps back, and kk is flipped three times, so the first wait ends at once.
  QTest::keyClick(&form, Qt::Key_Backspace);
  QTest::keyClick(&form, Qt::Key_Slash);
  QTest::keyClick(&form, Qt::Key_Comma);
  double second_frame_k = 0;
  const int code = RunWindow(form, [&](Form1& f) {
    if (f.waits_begun() == 2) {
      second_frame_k = f.state().k;
      QTest::mouseDClick(&f, Qt::LeftButton);
      return true;
    }
    return false;
  });
  EXPECT_EQ(code, 0);
  EXPECT_EQ(form.state().acc, 1);
  EXPECT_EQ(form.state().ccllss, 1);
  EXPECT_DOUBLE_EQ(second_frame_k, 4.5 - 0.25 - 0.25 - 0.5 + 0.25);
}

// Posts `action` so that it runs inside the animation's first event-processing call, in the
// middle of the first frame: the activation queues the animation, and the action is queued
// right behind it.
class ActAtFirstPoint : public QObject {
 public:
  ActAtFirstPoint(Form1& form, std::function<void()> action) : action_(std::move(action)) {
    form.installEventFilter(this);
  }
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::WindowActivate && action_) {
      QMetaObject::invokeMethod(
          this, [this] { QMetaObject::invokeMethod(this, action_, Qt::QueuedConnection); },
          Qt::QueuedConnection);
    }
    return false;
  }

 private:
  std::function<void()> action_;
};

TEST(Form, EndingInTheMiddleOfAFrame) {
  for (int how = 0; how < 3; ++how) {
    Form1 form;
    ActAtFirstPoint act(form, [&form, how] {
      if (how == 0) QTest::keyClick(&form, Qt::Key_Escape);
      if (how == 1) QTest::mouseDClick(&form, Qt::LeftButton);
      if (how == 2) form.close();
    });
    const int code = RunWindow(form, [](Form1&) { return false; });
    EXPECT_EQ(code, 0) << how;
    EXPECT_EQ(form.waits_begun(), 0) << how;  // the frame was never finished
    EXPECT_TRUE(form.state().ended) << how;
    EXPECT_FALSE(form.isVisible()) << how;
  }
}

TEST(Form, ClosingTheWindowDuringTheWaitEndsWithoutAClear) {
  Form1 form;
  Image at_wait;
  const int code = RunWindow(form, [&](Form1& f) {
    if (f.waits_begun() == 1) {
      at_wait = f.canvas().image();
      f.close();
      return true;
    }
    return false;
  });
  EXPECT_EQ(code, 0);
  EXPECT_EQ(form.canvas().image(), at_wait);
}

// The panel's wrapping texts, each as "name: text", shorter than their lines need.
std::vector<std::string> ClippedTexts(const QWidget& panel) {
  std::vector<std::string> clipped;
  for (const QLabel* label : panel.findChildren<QLabel*>()) {
    if (!label->isVisibleTo(&panel) || !label->wordWrap() || label->text().isEmpty()) continue;
    if (label->height() < label->heightForWidth(label->width())) {
      clipped.push_back((label->objectName() + ": " + label->text()).toStdString());
    }
  }
  return clipped;
}

// The panel opened before the first frame is drawn, the probe then moved: the readout's values
// that wrap to two lines get rows of two lines (they had been laid out for the one line of the
// texts before them, and showed half of each line).
TEST(Form, ThePanelsRowsHoldTheirWrappedValues) {
  Form1 form;
  int stage = 0;
  std::vector<std::string> clipped{"not checked"};
  const int code = RunWindow(form, [&](Form1& f) {
    if (stage == 0) {
      QTest::keyClick(&f, Qt::Key_F2);
    } else if (stage == 1) {
      if (f.waits_begun() < 1) return false;
      QTest::mouseMove(&f, QPoint(173, 300));
    } else if (stage == 3) {
      clipped = ClippedTexts(*f.panel());
      QTest::keyClick(&f, Qt::Key_Escape);
      return true;
    }
    ++stage;  // stage 2: the events of the move processed
    return false;
  });
  EXPECT_EQ(code, 0);
  EXPECT_EQ(clipped, std::vector<std::string>{});
}

TEST(Form, ThePanelAndTheProbeLeaveTheClientAreaAsItIs) {
  Form1 form;
  EXPECT_FALSE(form.panel_open());  // the window opens as the client area alone
  Image before;
  double k = 0;
  std::vector<double> probe;
  int stage = 0;
  const int code = RunWindow(form, [&](Form1& f) {
    if (f.waits_begun() != 1) return false;
    if (stage == 0) {
      before = f.canvas().image();
      k = f.state().k;
      QTest::keyClick(&f, Qt::Key_F2);
      EXPECT_TRUE(f.panel_open());
      EXPECT_EQ(f.size(), QSize(962 + Panel::kWidth, 688));
      EXPECT_EQ(f.canvas().logicalSize(), (Size{962, 688}));
      // The probe moves by the pointer and by its keys, none of which is a key of the
      // animation.
      QTest::mouseMove(&f, QPoint(400, 300));
      probe.push_back(f.probe_x());
      for (const auto& [key, mods] : {std::pair{Qt::Key_Right, Qt::NoModifier},
                                      {Qt::Key_Right, Qt::ShiftModifier},
                                      {Qt::Key_Left, Qt::NoModifier},
                                      {Qt::Key_Home, Qt::NoModifier},
                                      {Qt::Key_End, Qt::NoModifier}}) {
        QTest::keyClick(&f, key, mods);
        probe.push_back(f.probe_x());
      }
      stage = 1;
      return false;
    }
    // Events have been processed since: still the same frame, the same k, the same pixels.
    EXPECT_EQ(f.waits_begun(), 1);
    EXPECT_EQ(f.state().k, k);
    EXPECT_EQ(f.canvas().image(), before);
    EXPECT_EQ(f.panel()->Value("x"), QString::asprintf("x = %.2f", probe.back()));
    QTest::keyClick(&f, Qt::Key_F2);
    EXPECT_FALSE(f.panel_open());
    EXPECT_EQ(f.size(), QSize(962, 688));
    QTest::keyClick(&f, Qt::Key_Escape);
    return true;
  });
  EXPECT_EQ(code, 0);
  ASSERT_EQ(probe.size(), 6u);
  EXPECT_NEAR(probe[0], -50 + 400 / Canvas::kPixelsPerX, 1e-9);
  const SharedState& state = form.state();
  EXPECT_EQ(probe[1], StepProbe(state, probe[0], 1));
  EXPECT_EQ(probe[2], StepProbe(state, probe[1], 10));
  EXPECT_EQ(probe[3], StepProbe(state, probe[2], -1));
  EXPECT_EQ(probe[4], ProbeEnd(state, false));
  EXPECT_EQ(probe[5], ProbeEnd(state, true));
}

// The first frame of configuration c as tarsel-render draws it. A configuration asked for at the
// first frame draws exactly this: the registers as at a start, and no piston curve before pass
// 1, as a link to that frame draws it.
Image FirstFrame(const Configuration& c = {}, double dpr = 1) {
  Canvas canvas(Size{Canvas::kDesignWidth, Canvas::kDesignHeight}, dpr);
  Replay replay({}, nullptr, &canvas, c);
  replay.Run();
  return canvas.image();
}

template <typename W>
W* Named(const Form1& form, const QString& name) {
  W* w = form.panel()->findChild<W*>(name);
  EXPECT_NE(w, nullptr) << name.toStdString();
  return w;
}

// Types `text` into the field of `key` over what it holds, and Enter.
std::function<void(Form1&)> Type(const char* key, const char* text) {
  return [=](Form1& f) {
    QLineEdit* field = Named<QLineEdit>(f, QString("field-") + key);
    field->setFocus();
    field->selectAll();
    QTest::keyClicks(field, text);
    QTest::keyClick(field, Qt::Key_Return);
  };
}

std::function<void(Form1&)> Press(const char* name) {
  return [=](Form1& f) { Named<QAbstractButton>(f, name)->click(); };
}

QString Message(const Form1& f, const char* key) {
  return Named<QLabel>(f, QString("message-") + key)->text();
}

// Changes made through the panel's widgets while the first frame waits for a key: each good
// one draws that frame again, as a fresh run draws it with the new configuration; a refused one
// leaves the picture and the state as they were and says why beside its field. No key typed
// into the panel reaches the animation: k and the probe stay where they were.
TEST(Form, ThePanelChangesTheMechanism) {
  struct Case {
    const char* name;
    std::function<void(Form1&)> act;
    std::optional<Configuration> draws;  // nullopt: refused
    const char* message_key = nullptr;   // refused: the field that says why
    const char* says = nullptr;          // ... its message, or the class of the analysis
  };
  Configuration c;
  const auto with = [&c](double Configuration::*field, double v) {
    c.*field = v;
    return c;
  };
  const std::vector<Case> cases = {
      {"fixed line typed", Type("ground", "30"), with(&Configuration::ground, 30)},
      {"crank typed", Type("crank", "8"), with(&Configuration::crank, 8)},
      {"coupler typed with an exponent", Type("coupler", "2.6e1"),
       with(&Configuration::coupler, 26)},
      {"rocker typed", Type("rocker", "32"), with(&Configuration::rocker, 32)},
      {"reference typed", Type("reference", "-60.5"), with(&Configuration::reference, -60.5)},
      {"piston's radius typed", Type("piston-radius", "20"),
       with(&Configuration::piston_radius, 20)},
      {"rod typed beyond its slider", Type("rod", "450"), with(&Configuration::rod, 450)},
      {"coupler's slider a step up",
       [](Form1& f) {
         QSlider* slider = Named<QSlider>(f, "slider-coupler");
         slider->setFocus();
         QTest::keyClick(slider, Qt::Key_Right);
       },
       with(&Configuration::coupler, 26.5)},
      {"crank 0 refused", Type("crank", "0"), std::nullopt, "crank",
       "the crank O-P 0 is not above 0"},
      {"a word refused", Type("crank", "abc"), std::nullopt, "crank",
       "the crank O-P: 'abc' is not a number"},
      {"half a number refused", Type("ground", "7."), std::nullopt, "ground",
       "'7.' is not a number"},
      {"a rod shorter than the radius refused", Type("rod", "15"), std::nullopt, "rod",
       "the connecting rod 15 is not longer than the crank radius 20"},
      {"crossed", Press("assembly"),
       [&c] {
         c.assembly = Assembly::kCrossed;
         return c;
       }()},
      {"undo", Press("undo"),
       [&c] {
         c.assembly = Assembly::kOpen;
         return c;
       }()},
      {"redo", Press("redo"),
       Configuration{c.ground, c.crank, c.coupler, c.rocker, c.reference, Assembly::kCrossed,
                     c.piston_radius, c.rod}},
      {"built-in", Press("built-in"), Configuration{}, nullptr, "crank-rocker"},
      {"a triple-rocker",
       [](Form1& f) {
         for (const auto& [key, text] :
              {std::pair{"ground", "10"}, {"crank", "9"}, {"coupler", "8"}, {"rocker", "15"}}) {
           Type(key, text)(f);
         }
       },
       Configuration{10, 9, 8, 15}, nullptr, "triple-rocker"},
      {"built-in again", Press("built-in"), Configuration{}, nullptr, "crank-rocker"},
  };

  Form1 form;
  Image started;  // the first frame
  std::size_t i = 0;
  bool acted = false;
  long waits = 0;
  double probe = 0;
  Image before;
  const int code = RunWindow(form, [&](Form1& f) {
    if (f.waits_begun() < 1) return false;
    if (started.pixels.empty()) {
      started = f.canvas().image();
      EXPECT_TRUE(started == FirstFrame());
      QTest::keyClick(&f, Qt::Key_F2);
      probe = f.probe_x();
    }
    if (i == cases.size()) {
      QTest::keyClick(&f, Qt::Key_Escape);
      return true;
    }
    const Case& t = cases[i];
    SCOPED_TRACE(t.name);
    if (!acted) {
      waits = f.waits_begun();
      before = f.canvas().image();
      t.act(f);
      acted = true;
      return false;
    }
    if (t.draws && f.waits_begun() == waits) return false;  // the frame is drawn again
    acted = false;
    ++i;
    EXPECT_EQ(f.state().k, 4.5);
    EXPECT_EQ(f.probe_x(), probe);
    EXPECT_FALSE(f.state().next_config.has_value());
    if (!t.draws) {
      EXPECT_EQ(f.waits_begun(), waits);
      EXPECT_EQ(f.canvas().image(), before);
      EXPECT_TRUE(Message(f, t.message_key).contains(t.says))
          << Message(f, t.message_key).toStdString();
      return false;
    }
    EXPECT_EQ(f.waits_begun(), waits + 1);
    EXPECT_EQ(f.state().config, *t.draws);
    // Every change draws tarsel-render's first frame of its configuration; a return to the
    // built-in one, today's pixels.
    EXPECT_TRUE(f.canvas().image() == FirstFrame(*t.draws));
    if (t.says) {
      const QString grashof = Named<QLabel>(f, "analysis-class")->text();
      EXPECT_TRUE(grashof.contains(t.says)) << grashof.toStdString();
    }
    return false;
  });
  EXPECT_EQ(code, 0);
  EXPECT_EQ(i, cases.size());
}

// The panel's fields keep their keys: Tab goes to the next of them, Escape leaves the field
// (its unfinished text undone) for the picture without ending anything.
TEST(Form, ThePanelKeepsItsKeys) {
  Form1 form;
  int stage = 0;
  const int code = RunWindow(form, [&](Form1& f) {
    if (f.waits_begun() != 1) return false;
    if (stage++ == 0) {
      QTest::keyClick(&f, Qt::Key_F2);
      QLineEdit* crank = Named<QLineEdit>(f, "field-crank");
      crank->setFocus();
      QTest::keyClick(crank, Qt::Key_Tab);
      EXPECT_EQ(f.panel()->focusWidget(), Named<QSlider>(f, "slider-crank"));
      QTest::keyClick(f.panel()->focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
      EXPECT_EQ(f.panel()->focusWidget(), crank);
      crank->selectAll();
      QTest::keyClicks(crank, "5 ,/");
      QTest::keyClick(crank, Qt::Key_Escape);
      EXPECT_EQ(crank->text(), "7");
      EXPECT_EQ(f.focusWidget(), &f);
      return false;
    }
    EXPECT_FALSE(f.state().ended);
    EXPECT_EQ(f.state().k, 4.5);
    EXPECT_EQ(f.state().acc, 0);
    EXPECT_EQ(f.state().ccllss, 0);
    QTest::keyClick(&f, Qt::Key_Escape);
    return true;
  });
  EXPECT_EQ(code, 0);
  EXPECT_EQ(stage, 2);
}

}  // namespace
}  // namespace tarsel

namespace tarsel {
namespace {

// The panel's valve timing and its profile against tarsel-render run as a user runs it.
class TimingPanel : public testing::RenderTest {
 protected:
  // The report's "timing", as tarsel-render --report - writes it for these arguments.
  std::string ReportedTiming(const testing::Lines& args) {
    testing::Lines all = args;
    all.insert(all.end(), {"--report", "-"});
    const testing::Result r = Run(all);
    EXPECT_EQ(r.status, 0) << r.err;
    const std::size_t at = r.out.find("\"timing\": ");
    return at == std::string::npos ? "" : r.out.substr(at, r.out.size() - at - 2);
  }
  QImage Png(const testing::Lines& args, const std::string& name) {
    testing::Lines all = args;
    all.insert(all.end(),
               {name.ends_with("timing.png") ? "--timing-png" : "--png", Path(name).string()});
    const testing::Result r = Run(all);
    EXPECT_EQ(r.status, 0) << r.err;
    return testing::Rgb32(Path(name));
  }
};

// A copy of the pixels (a view of them would follow the next frame), as a picture file holds
// them.
QImage Shown(const Image& image) {
  QImage copy = ImageView(image).copy();
  copy.setDevicePixelRatio(1);
  return copy;
}

// At k = 6.5, at the default checking lift and at one typed into the panel, the events the
// panel reads are the report's of the same frame to the last digit, its lines are the shared
// words of them, and its plot is --timing-png's pixels. A lift that is no lift is refused.
TEST_F(TimingPanel, TheEventsAreTheReportsOfTheSameFrame) {
  Form1 form;
  std::vector<std::pair<double, FrameTiming>> seen;
  QImage plot;
  QString refused;
  const int code = RunWindow(form, [&](Form1& f) {
    if (f.waits_begun() < 1) return false;
    if (f.waits_begun() == 1 && !f.panel_open()) QTest::keyClick(&f, Qt::Key_F2);
    if (f.waits_begun() < 9) {  // the frame at k = 6.5 is the ninth
      if (f.waits_begun() == static_cast<long>(seen.size()) + 1) {
        seen.emplace_back();  // one key per frame
        QTest::keyClick(&f, Qt::Key_A);
      }
      return false;
    }
    EXPECT_EQ(f.state().k, 6.5);
    seen = {{f.threshold(), f.timing()}};
    plot = Shown(f.timing_plot());
    EXPECT_EQ(f.panel()->timing()->Value("blue-opening").toStdString(),
              TimingLines(f.timing())[9].value);
    for (const char* typed : {"3", "0", "abc"}) Type("threshold", typed)(f);
    refused = Named<QLabel>(f, "message-threshold")->text();
    seen.emplace_back(f.threshold(), f.timing());
    QTest::keyClick(&f, Qt::Key_Escape);
    return true;
  });
  EXPECT_EQ(code, 0);
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].first, 1);
  EXPECT_EQ(seen[1].first, 3);
  EXPECT_EQ("\"timing\": " + TimingJson(seen[0].second), ReportedTiming({"--at", "6.5"}));
  EXPECT_EQ("\"timing\": " + TimingJson(seen[1].second),
            ReportedTiming({"--at", "6.5", "--threshold", "3"}));
  EXPECT_EQ(plot, Png({"--at", "6.5"}, "timing.png"));
  EXPECT_TRUE(refused.contains("'abc' is not a number")) << refused.toStdString();
}

// An opened profile draws the frame again as tarsel-render --profile draws it; a file that is
// no profile is one line in the panel and the picture keeps the profile it had; Built-in draws
// today's first frame.
TEST_F(TimingPanel, AnOpenedProfileIsTarselRendersPicture) {
  {
    std::ofstream own(Path("own.csv"));
    own << "angle,lift\r\n-60,0\r\n-30,2.5\r\n0,8\r\n30,2.5\r\n60,0\r\n";
    std::ofstream bad(Path("bad.csv"));
    bad << "angle,lift\n-60,0\n-30,2.5\n-31,8\n30,2.5\n60,0\n";
  }
  struct Case {
    const char* name;
    std::string open;  // empty: Built-in
    bool draws;
    const char* says = "";
  };
  const Case cases[] = {
      {"a profile", Path("own.csv").string(), true},
      {"angles not increasing", Path("bad.csv").string(), false, "line 4: angle -31"},
      {"a directory", Path("").string(), false, "it is a directory"},
      {"a missing file", Path("none.csv").string(), false, "No such file"},
      {"built-in", "", true},
  };
  Form1 form;
  std::vector<QImage> pictures;
  std::size_t i = 0;
  long waits = 0;
  const int code = RunWindow(form, [&](Form1& f) {
    if (f.waits_begun() < 1) return false;
    if (waits == 0) QTest::keyClick(&f, Qt::Key_F2);
    if (waits && cases[i].draws && f.waits_begun() == waits) return false;
    if (waits) {
      SCOPED_TRACE(cases[i].name);
      const QString message = Named<QLabel>(f, "message-profile")->text();
      EXPECT_EQ(f.waits_begun(), waits + (cases[i].draws ? 1 : 0));
      EXPECT_TRUE(message.contains(cases[i].says)) << message.toStdString();
      EXPECT_EQ(message.isEmpty(), cases[i].draws);
      pictures.push_back(Shown(f.canvas().image()));
      if (++i == std::size(cases)) {
        QTest::keyClick(&f, Qt::Key_Escape);
        return true;
      }
    }
    waits = f.waits_begun();
    if (cases[i].open.empty()) {
      Named<QAbstractButton>(f, "profile-built-in")->click();
    } else {
      f.OpenProfile(QString::fromStdString(cases[i].open));
    }
    return false;
  });
  EXPECT_EQ(code, 0);
  ASSERT_EQ(pictures.size(), std::size(cases));
  const QImage own = Png({"--profile", Path("own.csv").string()}, "own.png");
  for (std::size_t c = 0; c + 1 < std::size(cases); ++c) EXPECT_EQ(pictures[c], own) << c;
  EXPECT_EQ(pictures.back(), Shown(FirstFrame()));
}

}  // namespace
}  // namespace tarsel

namespace tarsel {
namespace {

// The names over the picture while the panel is open: a widget of their own, so the canvas's
// pixels stay tarsel-render's and the client area on the screen is them again with the names
// off (F3). Each tick's number stands under the tick it names, at the screen's ratio (this test
// runs at ratio 1 and, as form_overlay_x2, at 2), and the lines' names under the lines.
TEST(Overlay, TheNamesStandAtTheirTicksAndLeaveThePixels) {
  Form1 form;
  int stage = 0;
  const int code = RunWindow(form, [&](Form1& f) {
    if (f.waits_begun() < 1) return false;
    QTest::keyClick(&f, Qt::Key_F2);
    EXPECT_TRUE(f.overlay_shown());
    const Image& image = f.canvas().image();
    const double dpr = image.dpr;
    EXPECT_TRUE(image == FirstFrame(Configuration{}, dpr));
    const auto& labels = f.overlay()->labels();
    EXPECT_EQ(labels, PlotLabels(f.state(), f.curves(), 1, Size{962, 688}));
    const auto dark = [&](double x, double y) {
      // Within a device pixel of the column, at the row: the axis colour.
      const int row = static_cast<int>(y * dpr);
      for (int dx = -1; dx <= 1; ++dx) {
        const int column = static_cast<int>(std::floor(x * dpr)) + dx;
        if (image.pixels[static_cast<std::size_t>(row * image.width + column)] ==
            PixelColour(colour::kAxis)) {
          return true;
        }
      }
      return false;
    };
    int ticks = 0;
    for (const PlotLabel& l : labels) {
      const QRectF box = f.overlay()->Box(l);
      const bool tick = l.key.starts_with("tick-");
      if (!tick && l.key != "tdc" && l.key != "bdc") continue;
      ticks += tick;
      SCOPED_TRACE(l.key);
      // Right under its line: the line's pixels at the label's centre, just above the box.
      const double above = tick ? Canvas::ToPixel(0, -0.1).y : Canvas::ToPixel(0, -1.9).y;
      EXPECT_TRUE(dark(box.center().x(), above));
      EXPECT_GT(box.top(), above);
      EXPECT_LT(box.bottom(), above + 25);
    }
    EXPECT_EQ(ticks, 10);
    // With the names off the client area on the screen is the canvas's pixels, but for the
    // probe's marker; with them on, it is not.
    const auto differing = [&] {
      const QImage screen =
          f.grab(QRect(0, 0, 962, 688)).toImage().convertToFormat(QImage::Format_RGB32);
      const int marker = static_cast<int>(std::floor(Canvas::ToPixel(f.probe_x(), 0).x * dpr));
      long count = 0;
      for (int y = 0; y < screen.height(); ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(screen.constScanLine(y));
        for (int x = 0; x < screen.width(); ++x) {
          if (std::abs(x - marker) <= static_cast<int>(dpr) + 1) continue;
          count += row[x] != image.pixels[static_cast<std::size_t>(y * image.width + x)];
        }
      }
      return count;
    };
    QTest::keyClick(&f, Qt::Key_F3);
    EXPECT_FALSE(f.overlay_shown());
    EXPECT_EQ(differing(), 0);
    QTest::keyClick(&f, Qt::Key_F3);
    EXPECT_TRUE(f.overlay_shown());
    EXPECT_GT(differing(), 1000);
    stage = 1;
    QTest::keyClick(&f, Qt::Key_Escape);
    return true;
  });
  EXPECT_EQ(code, 0);
  EXPECT_EQ(stage, 1);
}

}  // namespace
}  // namespace tarsel

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");  // no display needed, also when listing the tests
  QApplication app(argc, argv);
  app.setQuitOnLastWindowClosed(false);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
