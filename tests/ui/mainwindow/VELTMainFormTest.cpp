// The main window's life on real widgets (offscreen) over the simulated
// instrument in process: first showing, the status bar and enabled states,
// the default report, device notifications, the unplug action, the
// keyboard hook, the clock, the online cycle and the progress window.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <QDate>
#include <QElapsedTimer>
#include <QHelpEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QStyle>
#include <QMessageBox>
#include <QProgressBar>
#include <QTableWidget>
#include <QToolBar>
#include <QToolButton>
#include <fstream>
#include <functional>
#include <thread>

#include <reports/ReportForm.h>
#include <signal/ProcessStrobesUnit.h>
#include <ui/widgets/Cp1251.h>
#include <ui/mainwindow/DeviceMonitorUnit.h>
#include <records/RecordFilesUnit.h>
#include <ui/mainwindow/FrameWakeUnit.h>
#include <ui/widgets/ElidedLabelUnit.h>
#include <ui/setup/EditStringParameterUnit.h>
#include <ui/widgets/htmlhint.h>
#include <ui/mainwindow/PageControlUnit.h>
#include <ui/mainwindow/QtUserFeedback.h>
#include <ui/report/ReportHeaderPanelsUnit.h>

#include "ui/MainFormTestSupport.h"

namespace velt {
namespace {

using testing::TMainFormFixture;


std::string Text(const QString& text) { return text.toUtf8().toStdString(); }

using testing::SendKey;

std::vector<std::string> FileLines(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<std::string> lines;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') {
      line.pop_back();
    }
    lines.push_back(line);
  }
  return lines;
}

TEST(MainFormTest, FirstShowingConnectsAndShowsTheInstrument) {
  TMainFormFixture f("1:3.26");
  TVELTMainForm& form = f.Start();
  ASSERT_TRUE(form.StringsLoaded());
  EXPECT_TRUE(f.Connection->State.Connected);
  EXPECT_EQ(Text(form.windowTitle()), f.Utf8(f.Strings.Caption(4)));
  for (int tab = 0; tab < 4; ++tab) {
    EXPECT_EQ(Text(form.PageControl().tabText(tab)),
              f.Utf8(f.Strings.Caption(static_cast<std::uint16_t>(5 + tab))));
  }
  EXPECT_EQ(Text(form.StatusPanel0Text()),
            f.Utf8(f.Strings.Caption(46) + f.Connection->State.StateText + " 3.26 (simulated)"));
  EXPECT_EQ(Text(form.StatusPanel1Text()),
            f.Utf8(f.Strings.Caption(48) + " " + f.Strings.Caption(49)));
  ASSERT_NE(form.Action("UnplugDeviceAction"), nullptr);
  EXPECT_TRUE(form.Action("UnplugDeviceAction")->isEnabled());
  // Built for the instrument's versions and cleared again: no cells, the
  // drawing record shows none.
  EXPECT_EQ(form.Configs.Count, 0);
  ASSERT_NE(form.Configs.DrawingRecord, nullptr);
  EXPECT_EQ(form.Configs.DrawingRecord->Configuration(), nullptr);
  EXPECT_TRUE(std::filesystem::exists(form.DefaultReportPath()));
  EXPECT_TRUE(std::filesystem::is_directory(f.Data / "typical_reports"));
  EXPECT_TRUE(f.Feedback.Messages.empty());
  EXPECT_FALSE(f.Progress.FormExists() && f.Progress.Form().isVisible());
  EXPECT_FALSE(form.isMaximized());
  EXPECT_EQ(form.size(), QSize(996, 716));
}

// A long file name in the status bar: cut in the middle so that its folder's
// start and the file name show, whole in the hint; a short one whole.
TEST(MainFormTest, TheStatusBarShortensALongFileNameInTheMiddle) {
  TMainFormFixture f("none");
  TVELTMainForm& form = f.Start();
  const auto* panel = form.findChild<TElidedLabel*>("StatusPanel1");
  ASSERT_NE(panel, nullptr);
  const std::string longPath =
      "/home/inspector/protocols/2026/pipeline-section-17-weld-inspection/records/"
      "weld_17_north_side_second_pass.dtf";
  form.Flaws.Source = kSourceFile;
  // File names are the file system's (UTF-8), not the string files'.
  for (const std::string& path : {std::string("/tmp/Участок 17.dtf"), longPath}) {
    form.Flaws.FileName = path;
    form.PageControl().setCurrentIndex(kDataTab);
    form.RefreshStatusPanel1();
    const QString whole = QString::fromStdString(f.Utf8(f.Strings.Caption(48) + " ") + path);
    EXPECT_EQ(form.StatusPanel1Text(), whole);
    EXPECT_EQ(panel->toolTip(), QString::fromStdString(path));
    const QString shown = panel->ShownText();
    EXPECT_LE(panel->fontMetrics().horizontalAdvance(shown), panel->contentsRect().width());
    if (path == longPath) {
      EXPECT_TRUE(shown.contains(QChar(0x2026))) << Text(shown);
      EXPECT_TRUE(shown.startsWith(whole.left(12))) << Text(shown);
      EXPECT_TRUE(shown.endsWith(QStringLiteral("pass.dtf"))) << Text(shown);
    } else {
      EXPECT_EQ(shown, whole);
    }
  }
}

// Files given to the program open in their tabs at start; one that cannot
// be read, or of a type the program does not open, is reported.
TEST(MainFormTest, FilesGivenAtStartOpenInTheirTabs) {
  std::filesystem::path records, setups, report;
  {
    TMainFormFixture source("1:5.0.1");
    TVELTMainForm& form = source.Start();
    form.Action("ReceiveFlawsAction")->trigger();
    form.PageControl().setCurrentIndex(kSetupTab);
    form.Action("ReceiveConfigsAction")->trigger();
    records = std::filesystem::temp_directory_path() / "velt-given-r.dtf";
    setups = std::filesystem::temp_directory_path() / "velt-given-c.CTF";
    report = std::filesystem::temp_directory_path() / "velt-given-p.rct";
    ASSERT_TRUE(SaveRecordFile(form.Flaws, records).Ok);
    ASSERT_TRUE(SaveConfigurationFile(form.Configs, setups).Ok);
    std::filesystem::copy_file(form.DefaultReportPath(), report,
                               std::filesystem::copy_options::overwrite_existing);
  }
  TMainFormFixture f("none");
  TVELTMainForm& form = f.Start({setups, records, report, f.Data / "absent.dtf", f.Data / "a.txt"});
  EXPECT_EQ(form.ActiveTab(), kSetupTab);  // the first file's tab
  EXPECT_EQ(form.Configs.FileName, setups.string());
  EXPECT_EQ(form.SelectedConfiguration, 1);
  EXPECT_EQ(form.Flaws.FileName, records.string());
  EXPECT_GT(form.Flaws.Count, 0);
  ASSERT_EQ(f.Feedback.Messages.size(), 2u);
  EXPECT_EQ(f.Feedback.Messages[0].Text.rfind(f.Strings.Error(24), 0), 0u);
  EXPECT_NE(f.Utf8(f.Feedback.Messages[1].Text).find("a.txt"), std::string::npos);
  for (const auto& path : {records, setups, report}) {
    std::filesystem::remove(path);
  }
}

// The three selectors show every column title whole and need no
// horizontal scroll bar.
TEST(MainFormTest, SelectorTitlesFitWithoutAHorizontalScrollBar) {
  TMainFormFixture f("none");
  TVELTMainForm& form = f.Start();
  for (const char* name :
       {"FlawSelectorDataDrawGrid", "ConfigSelectorStringGrid", "FlawSelectorForReportStringGrid"}) {
    SCOPED_TRACE(name);
    const auto* grid = form.findChild<QTableWidget*>(name);
    ASSERT_NE(grid, nullptr);
    EXPECT_EQ(grid->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    const QFontMetrics metrics(grid->horizontalHeader()->font());
    int total = 0;
    for (int c = 0; c < grid->columnCount(); ++c) {
      const QString title = grid->horizontalHeaderItem(c)->text();
      EXPECT_GE(grid->columnWidth(c), metrics.horizontalAdvance(title) + 8) << Text(title);
      total += grid->columnWidth(c);
    }
    const int scrollBar = grid->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, grid);
    EXPECT_LE(total, grid->width() - 2 * grid->frameWidth() - scrollBar);
  }
}

TEST(MainFormTest, WithoutAnInstrumentTheInstrumentActionsAreOff) {
  TMainFormFixture f("none");
  TVELTMainForm& form = f.Start();
  EXPECT_FALSE(f.Connection->State.Connected);
  EXPECT_EQ(Text(form.StatusPanel0Text()), f.Utf8(f.Strings.Caption(46) + f.Strings.Caption(47)));
  EXPECT_FALSE(form.Action("UnplugDeviceAction")->isEnabled());
}

TEST(MainFormTest, MissingStringFilesEndTheProgramWithTheSystemError) {
  TMainFormFixture f("1:3.26", false);
  TVELTMainForm& form = f.Start();
  ASSERT_EQ(f.Feedback.Messages.size(), 1u);
  EXPECT_EQ(f.Utf8(f.Feedback.Messages[0].Caption), "Системная ошибка");
  EXPECT_EQ(f.Utf8(f.Feedback.Messages[0].Text),
            "Неправильные или поврежденные файлы языков. Переустановите программу");
  EXPECT_EQ(f.Feedback.Messages[0].Icon, TMessageIcon::Error);
  EXPECT_FALSE(form.isVisible());
  // The program ends only once first showing has run: the default report
  // is written; the instrument is left alone.
  EXPECT_TRUE(std::filesystem::exists(form.DefaultReportPath()));
  EXPECT_TRUE(f.Sim.Instrument().Log().empty());
  EXPECT_FALSE(f.Connection->State.Connected);
}

TEST(MainFormTest, RealsAreShownInTheUsersNumberFormat) {
  const QLocale before;
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  TMainFormFixture f("1:4.0.3");
  TVELTMainForm& form = f.Start();
  QLocale::setDefault(before);
  EXPECT_EQ(form.Configs.NumberFormat.DecimalSeparator, ',');
  EXPECT_EQ(form.Configs.NumberFormat.ThousandSeparator, '.');
  EXPECT_EQ(form.Flaws.NumberFormat.DecimalSeparator, ',');
  // The name editor is made then too, hidden.
  ASSERT_NE(form.NameEditor(), nullptr);
  EXPECT_FALSE(form.NameEditor()->isVisible());
  // The pictures' colours are set at the same time.
  EXPECT_EQ(form.ScreenScheme[kTraceColour], QColor(0x00, 0xFF, 0x00));
  EXPECT_EQ(form.PrintScheme[kBackgroundColour], QColor(Qt::white));
  // Every cell built from now on, by the program or by the connection,
  // shows its reals so.
  form.Configs.Build(100, 4, 0, 3, 1);
  TBaseConfigCell& cell = *form.Configs.Configurations[0];
  cell.PROBE_DELAY = 1.5;
  EXPECT_EQ(cell.ParameterText(11), "   1,50");  // the probe delay
  form.Flaws.Build(1, 4, 0, 3, 1);
  EXPECT_EQ(form.Flaws.Records[0]->Configuration()->NumberFormat().DecimalSeparator, ',');
}

TEST(MainFormTest, LocaleSeparatorsBecomeSingleCharacters) {
  const TNumberFormat russian = LocaleNumberFormat(QLocale(QLocale::Russian, QLocale::Russia));
  EXPECT_EQ(russian.DecimalSeparator, ',');
  EXPECT_EQ(russian.ThousandSeparator, '\xA0');  // the no-break space of Windows-1251
  const TNumberFormat c = LocaleNumberFormat(QLocale::c());
  EXPECT_EQ(c.DecimalSeparator, '.');
  EXPECT_EQ(c.ThousandSeparator, ',');
  // A separator Windows-1251 cannot hold (the Arabic decimal point).
  const TNumberFormat arabic = LocaleNumberFormat(QLocale(QLocale::Arabic, QLocale::Egypt));
  EXPECT_EQ(arabic.DecimalSeparator, '.');
  EXPECT_NE(arabic.ThousandSeparator, arabic.DecimalSeparator);
}

TEST(MainFormTest, TheDefaultReportIsLoadedAtStartAndWrittenAtClose) {
  TMainFormFixture f("none");
  const std::filesystem::path path = f.Data / "default_reports" / "simple_report.rct";
  std::filesystem::create_directories(path.parent_path());
  {
    std::ofstream out(path, std::ios::binary);
    out << "ACME Pipe Inspection\r\n01.02.2026\r\n";
    for (int line = 3; line <= 36; ++line) {
      out << "field " << line << "\r\n";
    }
  }
  TVELTMainForm& form = f.Start();
  EXPECT_EQ(form.ReportForm().HeaderFieldText(kReportType1, 1), "ACME Pipe Inspection");
  EXPECT_EQ(form.ReportForm().HeaderFieldText(kReportType1, 36), "field 36");

  // Removed while the program runs, typed into, and written at close.
  std::filesystem::remove(path);
  form.ReportForm().SetHeaderFieldText(kReportType1, 3, "4711");
  form.close();
  const std::vector<std::string> lines = FileLines(path);
  ASSERT_EQ(lines.size(), 36u);
  EXPECT_EQ(lines[0], "ACME Pipe Inspection");
  EXPECT_EQ(lines[2], "4711");
  EXPECT_FALSE(f.Connection->State.Connected);
}

TEST(MainFormTest, AFirstStartWritesThePanelsInitialTexts) {
  TMainFormFixture f("none");
  TVELTMainForm& form = f.Start();
  const std::vector<std::string> lines = FileLines(form.DefaultReportPath());
  ASSERT_EQ(lines.size(), 36u);
  EXPECT_EQ(f.Utf8(lines[0]), "Введите название организации");
  EXPECT_EQ(lines[1], "01.01.2007");
}

// A default report that cannot be read or created is said once; the start
// goes on to its end with the panel's initial texts, and closing leaves
// what lies there alone.
TEST(MainFormTest, AnUnusableDefaultReportIsSaidOnceAndTheStartGoesOn) {
  struct TCase {
    const char* Name;
    std::function<void(const std::filesystem::path& report)> Make;
    std::function<bool(const std::filesystem::path& report)> Unchanged;
  };
  const auto folderHolds = [](const std::filesystem::path& report) {
    return std::filesystem::is_directory(report) && std::filesystem::exists(report / "keep");
  };
  const TCase cases[] = {
      {"a folder",
       [](const std::filesystem::path& report) {
         std::filesystem::create_directories(report);
         std::ofstream(report / "keep") << "kept";
       },
       folderHolds},
      {"a pipe",
       [](const std::filesystem::path& report) {
         std::filesystem::create_directories(report.parent_path());
         ASSERT_EQ(::mkfifo(report.c_str(), 0600), 0);
       },
       [](const std::filesystem::path& report) { return std::filesystem::is_fifo(report); }},
      {"a damaged report file, kept aside",
       [](const std::filesystem::path& report) {
         std::filesystem::create_directories(report.parent_path());
         std::ofstream(report) << std::string(70000, 'x');  // a line no report holds
       },
       [](const std::filesystem::path& report) {
         std::filesystem::path aside = report;
         aside += ".unreadable";
         return std::filesystem::file_size(aside) == 70000 &&
                std::filesystem::file_size(report) > 100;  // a fresh one written
       }},
      {"in a place that is a file",
       [](const std::filesystem::path& report) { std::ofstream(report.parent_path()) << "kept"; },
       [](const std::filesystem::path& report) {
         return FileLines(report.parent_path()) == std::vector<std::string>{"kept"};
       }},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TMainFormFixture f("1:3.26");
    const std::filesystem::path report = f.Data / "default_reports" / "simple_report.rct";
    c.Make(report);
    TVELTMainForm& form = f.Start();
    EXPECT_TRUE(f.Connection->State.Connected);
    ASSERT_EQ(f.Feedback.Messages.size(), 1u);
    EXPECT_EQ(f.Feedback.Messages[0].Caption, "Velt Studio 3");
    EXPECT_NE(f.Feedback.Messages[0].Text.find(report.string()), std::string::npos)
        << f.Feedback.Messages[0].Text;
    EXPECT_EQ(f.Utf8(form.ReportForm().HeaderFieldText(kReportType1, 1)),
              "Введите название организации");
    form.close();
    EXPECT_EQ(f.Feedback.Messages.size(), 1u);
    EXPECT_TRUE(c.Unchanged(report));
  }
}

TEST(MainFormTest, NodesChangedWhileConnectedAndPresentChangesNothing) {
  TMainFormFixture f("1:4.0.3");
  TVELTMainForm& form = f.Start();
  const std::size_t log = f.Sim.Instrument().Log().size();
  const QString panel = form.StatusPanel0Text();
  form.HandleDeviceChange(kDeviceNodesChanged);
  form.HandleDeviceChange(kDeviceArrival);
  form.HandleDeviceChange(0x1234);
  EXPECT_TRUE(f.Connection->State.Connected);
  EXPECT_EQ(form.StatusPanel0Text(), panel);
  EXPECT_TRUE(f.Time.Pauses.empty());
  // Presence asked (USBStatus), nothing sent to the instrument.
  EXPECT_EQ(f.Sim.Instrument().Log().size(), log);
}

TEST(MainFormTest, AnUnpluggedInstrumentTakesItsDataAlong) {
  TMainFormFixture f("1:4.0.3");
  TVELTMainForm& form = f.Start();
  form.Configs.Build(100, 4, 0, 3, 1);
  form.Configs.Source = kSourceInstrument;
  form.Flaws.Build(3, 4, 0, 3, 1);
  form.Flaws.Source = kSourceInstrument;
  form.SelectedRecord = 2;
  form.ReportHeader->AddFlaw(form.ReportForm(), *form.Flaws.Records[0], false);

  f.Sim.Instrument().Unplug();
  form.DeviceMonitor().Poll();  // the presence poll sees it go

  EXPECT_FALSE(f.Connection->State.Connected);
  EXPECT_EQ(form.Configs.Count, 0);
  EXPECT_EQ(form.Flaws.Count, 0);
  EXPECT_EQ(form.SelectedRecord, 0);
  EXPECT_EQ(form.ReportHeader->Count(), 0);
  EXPECT_FALSE(form.Action("UnplugDeviceAction")->isEnabled());
  EXPECT_EQ(Text(form.StatusPanel0Text()), f.Utf8(f.Strings.Caption(46)));  // state text emptied
  EXPECT_TRUE(f.Feedback.Questions.empty());
  EXPECT_TRUE(f.Time.Pauses.empty());
}

TEST(MainFormTest, DataFromFilesStaysWhenTheInstrumentGoes) {
  TMainFormFixture f("1:4.0.3");
  TVELTMainForm& form = f.Start();
  form.Flaws.Build(2, 4, 0, 3, 1);
  form.Flaws.Source = kSourceFile;
  f.Sim.Instrument().Unplug();
  form.DeviceMonitor().Poll();
  EXPECT_FALSE(f.Connection->State.Connected);
  EXPECT_EQ(form.Flaws.Count, 2);
}

TEST(MainFormTest, AnArrivingInstrumentIsConnectedAfterASecond) {
  TMainFormFixture f("2:5.4.4");
  TVELTMainForm& form = f.Start();
  f.Sim.Instrument().Unplug();
  form.DeviceMonitor().Poll();
  ASSERT_FALSE(f.Connection->State.Connected);
  f.Time.Pauses.clear();

  f.Sim.Instrument().Replug();
  form.DeviceMonitor().Poll();

  EXPECT_TRUE(f.Connection->State.Connected);
  EXPECT_EQ(f.Time.Pauses, (std::vector<unsigned>{1000}));  // once: arrival then finds it connected
  // Built for the defaults, aligned to the instrument's versions, configuration 0 read.
  EXPECT_EQ(form.Configs.MajorVersion, 5);
  EXPECT_EQ(form.Configs.DeviceType, 2);
  EXPECT_EQ(ConfigClassName(*form.Configs.Configurations[0]), "T5_01ConfigCell");
  EXPECT_TRUE(form.Action("UnplugDeviceAction")->isEnabled());
}

TEST(MainFormTest, AnArrivalAloneAlignsOnlyASetupListThatHasCells) {
  TMainFormFixture f("1:4.0.3");
  TVELTMainForm& form = f.Start();
  int shown = 0;
  form.ShowFirstCell = [&shown] { ++shown; };
  f.Sim.Instrument().Unplug();
  form.HandleDeviceChange(kDeviceNodesChanged);
  ASSERT_FALSE(f.Connection->State.Connected);
  ASSERT_EQ(form.Configs.Count, 0);

  // Empty: connected, but the alignment fails and nothing is shown.
  f.Sim.Instrument().Replug();
  form.HandleDeviceChange(kDeviceArrival);
  EXPECT_TRUE(f.Connection->State.Connected);
  EXPECT_EQ(form.Configs.Count, 0);
  EXPECT_EQ(shown, 0);
  EXPECT_TRUE(form.Action("UnplugDeviceAction")->isEnabled());

  // With cells of another class: rebuilt for the instrument and shown.
  f.Connection->Close();
  form.Configs.Build(100, 3, 26, 0, 1);
  form.HandleDeviceChange(kDeviceArrival);
  EXPECT_TRUE(f.Connection->State.Connected);
  EXPECT_EQ(form.Configs.MajorVersion, 4);
  EXPECT_EQ(shown, 1);
}

TEST(MainFormTest, UnplugAsksWhenInstrumentDataWouldGo) {
  TMainFormFixture f("1:3.26");
  TVELTMainForm& form = f.Start();
  form.Configs.Build(100, 3, 26, 0, 1);
  form.Configs.Source = kSourceInstrument;

  f.Feedback.Answers = {false};
  form.UnplugDevice();
  ASSERT_EQ(f.Feedback.Questions.size(), 1u);
  EXPECT_EQ(f.Feedback.Questions[0].Text, f.Strings.Value(160));
  EXPECT_EQ(f.Feedback.Questions[0].Icon, TMessageIcon::Warning);
  EXPECT_EQ(f.Feedback.Questions[0].Preselected, TAnswer::No);
  EXPECT_TRUE(f.Connection->State.Connected);
  EXPECT_EQ(form.Configs.Count, 100);

  f.Feedback.Answers = {true};
  form.UnplugDevice();
  EXPECT_FALSE(f.Connection->State.Connected);
  EXPECT_EQ(form.Configs.Count, 0);
  EXPECT_EQ(Text(form.StatusPanel0Text()), f.Utf8(f.Strings.Caption(46) + f.Strings.Caption(47)));
}

TEST(MainFormTest, FunctionKeysFollowTheActiveTab) {
  TMainFormFixture f("1:3.26");
  TVELTMainForm& form = f.Start();
  form.PageControl().setCurrentIndex(kReportTab);
  SendKey(form, QEvent::KeyPress, Qt::Key_F3);
  EXPECT_TRUE(f.Connection->State.Connected);  // F3 means nothing on the report tab

  form.PageControl().setCurrentIndex(kDataTab);
  SendKey(form, QEvent::KeyPress, Qt::Key_F3);
  EXPECT_FALSE(f.Connection->State.Connected);
  EXPECT_TRUE(f.Feedback.Questions.empty());  // nothing received, nothing to ask
}

TEST(MainFormTest, FunctionKeysActWithCtrlHeldToo) {
  TMainFormFixture f("1:3.26");
  TVELTMainForm& form = f.Start();
  form.PageControl().setCurrentIndex(kDataTab);
  SendKey(form, QEvent::KeyPress, Qt::Key_F3, Qt::ControlModifier);
  EXPECT_FALSE(f.Connection->State.Connected);
}

TEST(MainFormTest, CtrlLetGoOverAnotherWindowTakesTheCueAway) {
  TMainFormFixture f("none");
  TVELTMainForm& form = f.Start();
  QWidget dialog;
  SendKey(form, QEvent::KeyPress, Qt::Key_Control, Qt::ControlModifier);
  ASSERT_TRUE(form.CtrlHeld);
  QKeyEvent release(QEvent::KeyRelease, Qt::Key_Control, Qt::NoModifier);
  QApplication::sendEvent(&dialog, &release);
  EXPECT_FALSE(form.CtrlHeld);
}

TEST(MainFormTest, HintsShowInTheFormattedHintWindowForFiveSeconds) {
  TMainFormFixture f("none");
  TVELTMainForm& form = f.Start();
  THTMLHint* hints = THTMLHint::Of(&form);
  ASSERT_NE(hints, nullptr);
  EXPECT_EQ(hints->HintHidePause, 5000);
  QAction* receive = form.Action("ReceiveFlawsAction");
  ASSERT_NE(receive, nullptr);
  EXPECT_EQ(Text(receive->toolTip()), "<B>F1 </B>" + f.Utf8(f.Strings.Value(104)));
  EXPECT_EQ(Text(receive->text()), "F1");
  auto* button = new QToolButton(form.PageControl().widget(kReportTab));
  button->setToolTip("<B>Ctrl + Up </B>more");
  form.PageControl().setCurrentIndex(kReportTab);
  button->show();
  QHelpEvent hint(QEvent::ToolTip, QPoint(1, 1), button->mapToGlobal(QPoint(1, 1)));
  QApplication::sendEvent(button, &hint);
  ASSERT_NE(hints->HintWindow(), nullptr);
  EXPECT_EQ(hints->HintWindow()->Text(), QString("<B>Ctrl + Up </B>more"));
}

TEST(MainFormTest, TheClockShowsNoTimeZone) {
  EXPECT_EQ(LongTimeFormat(QLocale::c()), "HH:mm:ss");
  for (const QLocale& locale : {QLocale(QLocale::Russian, QLocale::Russia),
                                QLocale(QLocale::English, QLocale::UnitedStates),
                                QLocale(QLocale::German, QLocale::Germany)}) {
    const QString format = LongTimeFormat(locale);
    EXPECT_FALSE(format.contains(QLatin1Char('t'))) << format.toStdString();
    EXPECT_TRUE(format.contains(QLatin1String("ss"))) << format.toStdString();
  }
}

TEST(MainFormTest, HoldingCtrlRaisesTheModeButtons) {
  TMainFormFixture f("none");
  TVELTMainForm& form = f.Start();
  auto* button = new QToolButton(form.PageControl().widget(kSetupTab));
  button->setProperty("veltCtrlCue", true);
  button->setAutoRaise(true);
  SendKey(form, QEvent::KeyPress, Qt::Key_Control, Qt::ControlModifier);
  EXPECT_TRUE(form.CtrlHeld);
  EXPECT_FALSE(button->autoRaise());  // drawn raised
  SendKey(form, QEvent::KeyRelease, Qt::Key_Control);
  EXPECT_FALSE(form.CtrlHeld);
  EXPECT_TRUE(button->autoRaise());
}

TEST(MainFormTest, TheClockIsDrawnAtTheRightOfTheTabs) {
  TMainFormFixture f("none");
  TVELTMainForm& form = f.Start();
  form.ClockTick();
  const QString clock = form.PageControl().ClockText();
  EXPECT_TRUE(clock.contains(QString(20, QLatin1Char(' '))));
  EXPECT_TRUE(clock.contains(QString::number(QDate::currentDate().year() % 100)));
  QFont font = form.PageControl().font();
  font.setPointSize(11);
  font.setBold(true);
  const int x = form.PageControl().width() - QFontMetrics(font).horizontalAdvance(clock) - 22;
  EXPECT_EQ(form.PageControl().ClockPosition(), QPoint(x, 4));
  // Drawn without trouble (the pictures are resources of the program).
  EXPECT_FALSE(form.PageControl().grab().isNull());
  EXPECT_FALSE(QPixmap(":/pictures/calendar.xpm").isNull());
  EXPECT_FALSE(QPixmap(":/pictures/watches.xpm").isNull());
}

TEST(MainFormTest, OnlineTicksAskForFramesOnlyWhenTheyCanBeShown) {
  TMainFormFixture f("1:4.1.3");
  TVELTMainForm& form = f.Start();
  form.Configs.Build(100, 4, 1, 3, 1);
  form.Configs.Configurations[1]->REFRESH_RATE = 25;
  form.Configs.DrawingRecord->Refer(form.Configs.Configurations[1].get());
  const QTimer* timer = form.findChild<QTimer*>("OnlineReceiveTimer");
  ASSERT_NE(timer, nullptr);
  EXPECT_EQ(timer->timerType(), Qt::PreciseTimer);
  // The interval runs while the frame is drawn, not after it.
  int shown = 0;
  bool runningWhileShown = false;
  form.ShowOnlineFrame = [&](int) {
    ++shown;
    runningWhileShown = timer->isActive();
  };

  const auto requests = [&f] {
    std::size_t n = 0;
    for (const auto& t : f.Sim.Instrument().Log()) {
      n += t.Kind == conduit::TTransferKind::ServiceOut ? 1 : 0;
    }
    return n;
  };
  // The tick alone: the tabs are made active without being shown (showing
  // the online tab sends the working configuration or warns).
  const auto activate = [&form](int tab) {
    const QSignalBlocker quiet(form.PageControl());
    form.PageControl().setCurrentIndex(tab);
  };
  std::size_t before = requests();
  activate(kOnlineTab);
  form.OnlineTick();  // no configuration selected
  form.SelectedConfiguration = 1;
  activate(kReportTab);
  form.OnlineTick();  // the report tab shows no live signal
  EXPECT_EQ(requests(), before);
  EXPECT_TRUE(timer->isActive());

  // The frame is evaluated before it is shown: marker and cursor are where
  // the strobe processing puts them on that frame with the setup as it was.
  TBaseConfigCell& setup = *form.Configs.Configurations[1];
  setup.STROBE_ALGORYTHM = 1;
  setup.AMPLITUDE_MARKER_POSITION = 0;
  TDataCell expected;
  expected.AttachOwned(CreateConfigCellForVersion(4, 1, 3, 1));
  expected.Configuration()->Assign(&setup);
  activate(kOnlineTab);
  form.OnlineTick();
  EXPECT_EQ(requests(), before + 1);
  EXPECT_EQ(shown, 1);
  EXPECT_TRUE(runningWhileShown);
  TDataCell& drawing = *form.Configs.DrawingRecord;
  expected.FirstMaximums = drawing.FirstMaximums;
  expected.FirstMinimums = drawing.FirstMinimums;
  expected.SecondMaximums = drawing.SecondMaximums;
  expected.SecondMinimums = drawing.SecondMinimums;
  ASSERT_NE(ProcessStrobes(expected), 0) << "the frame has no echo in the strobes";
  EXPECT_NE(setup.AMPLITUDE_MARKER_POSITION, 0);
  EXPECT_EQ(setup.AMPLITUDE_MARKER_POSITION, expected.Configuration()->AMPLITUDE_MARKER_POSITION);
  EXPECT_EQ(setup.CURSOR_POSITION, expected.Configuration()->CURSOR_POSITION);
  EXPECT_EQ(timer->interval(), 40);
  // The precise wake asks for a frame only when the timer is due: not
  // while its interval runs, not once it was stopped.
  before = requests();
  form.OnlineWake();
  EXPECT_EQ(requests(), before);
  form.findChild<QTimer*>("OnlineReceiveTimer")->stop();
  form.OnlineWake();
  EXPECT_EQ(requests(), before);
  form.Configs.Configurations[1]->REFRESH_RATE = 3;
  form.OnlineTick();
  EXPECT_EQ(timer->interval(), 333);
  form.Configs.Configurations[1]->REFRESH_RATE = 0;
  form.OnlineTick();
  EXPECT_EQ(timer->interval(), 333);  // no rate: the interval stays

  // A frame that fails: one unplug action, the timer stopped.
  f.Sim.Instrument().Unplug();
  form.OnlineTick();
  EXPECT_FALSE(timer->isActive());
  EXPECT_FALSE(f.Connection->State.Connected);
  EXPECT_EQ(f.Feedback.Messages.size(), 1u);  // the result check, once
  EXPECT_FALSE(form.OnlineBusy);
}

// The kernel timer behind the frame cycle's wake: once per arming, from the
// event loop, and not at all once disarmed.
TEST(MainFormTest, TheFrameWakeFiresOncePerArmingUnlessDisarmed) {
  int wakes = 0;
  QObject owner;
  TFrameWake wake([&wakes] { ++wakes; }, &owner);
  ASSERT_TRUE(wake.Available());
  const auto runFor = [](int ms) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
      QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
  };
  wake.Arm(std::chrono::milliseconds(1));
  EXPECT_EQ(wakes, 0);  // never from within the arming
  runFor(100);
  EXPECT_EQ(wakes, 1);
  wake.Arm(std::chrono::milliseconds(1));
  wake.Arm(std::chrono::milliseconds(2));  // replaces the first
  runFor(100);
  EXPECT_EQ(wakes, 2);
  wake.Arm(std::chrono::milliseconds(1));
  std::this_thread::sleep_for(std::chrono::milliseconds(5));  // expired, not yet seen
  wake.Disarm();
  runFor(100);
  EXPECT_EQ(wakes, 2);
}

TEST(MainFormTest, WithoutTheLinkLibraryTheProgramRunsWithoutAnInstrument) {
  testing::TRecordingFeedback feedback;
  TLocalStrings strings(feedback);
  TConduitBinding missing(std::vector<std::string>{"/nonexistent/libConduit.so"});
  TGuiProgress progress;
  testing::TRecordingTime time;
  TInstrumentConnection connection(missing, strings, feedback, progress, time);
  TRunTimeFolders folders;
  folders.Strings = VELT_SOURCE_DIR "/strings";
  folders.Data = std::filesystem::temp_directory_path() / "velt-ui-nolink";
  TVELTMainForm form(strings, connection, feedback, progress, time, folders);
  bool done = false;
  form.OnFirstShowingDone = [&done] { done = true; };
  form.show();
  testing::ProcessEventsUntil([&done] { return done; });
  ASSERT_EQ(feedback.Messages.size(), 1u);
  EXPECT_EQ(feedback.Messages[0].Caption, strings.Error(7));
  EXPECT_EQ(feedback.Messages[0].Text, strings.Error(6));
  EXPECT_EQ(connection.State.StateText, strings.Caption(47));
  EXPECT_FALSE(form.Action("UnplugDeviceAction")->isEnabled());
  form.close();
  std::filesystem::remove_all(folders.Data);
}

TEST(MainFormTest, F1RunsTheActionOfEachTab) {
  TMainFormFixture f("none");
  TVELTMainForm& form = f.Start();
  // The actions the tabs bring, or stand-ins with their names where a tab
  // is not there yet.
  std::vector<std::string> ran;
  for (const char* name : {"ReceiveFlawsAction", "ReceiveConfigsAction", "ReportSummaryAction"}) {
    QAction* action = form.Action(name);
    if (action == nullptr) {
      action = new QAction(&form);
      action->setObjectName(name);
    }
    action->setEnabled(true);
    QObject::connect(action, &QAction::triggered, [&ran, name] { ran.emplace_back(name); });
  }
  for (int tab : {kDataTab, kSetupTab, kOnlineTab, kReportTab}) {
    form.PageControl().setCurrentIndex(tab);
    SendKey(form, QEvent::KeyPress, Qt::Key_F1);
  }
  EXPECT_EQ(ran, (std::vector<std::string>{"ReceiveFlawsAction", "ReceiveConfigsAction",
                                           "ReportSummaryAction"}));
  // A disabled action is not run.
  form.Action("ReportSummaryAction")->setEnabled(false);
  SendKey(form, QEvent::KeyPress, Qt::Key_F1);
  EXPECT_EQ(ran.size(), 3u);
}

// With an exchange running (Busy), nodes changed takes the reconnect
// branch: a second, connect, build, align. The identify of that connect is
// refused while Busy, so the connection ends closed and the align fails.
TEST(MainFormTest, NodesChangedDuringAnExchangeTakesTheReconnectBranch) {
  TMainFormFixture f("1:3.26");
  TVELTMainForm& form = f.Start();
  const std::size_t before = f.Sim.Instrument().Log().size();
  f.Connection->State.Busy = true;  // a message box of an exchange is up
  form.HandleDeviceChange(kDeviceNodesChanged);
  EXPECT_EQ(f.Time.Pauses, (std::vector<unsigned>{1000}));
  EXPECT_FALSE(f.Connection->State.Connected);
  EXPECT_EQ(form.Configs.Count, 100);  // built for the default versions
  EXPECT_EQ(form.Configs.MinorVersion, 18);
  EXPECT_EQ(f.Sim.Instrument().Log().size(), before);  // nothing reached the instrument
}

TEST(MainFormTest, AToolButtonStaysDownDuringItsExchange) {
  TMainFormFixture f("none");
  TVELTMainForm& form = f.Start();
  auto* button = new QToolButton(form.PageControl().widget(kDataTab));
  form.SetToolButtonBusy(true, button);
  EXPECT_TRUE(button->isDown());
  form.SetToolButtonBusy(false, button);
  EXPECT_FALSE(button->isDown());
  form.SetToolButtonBusy(true, nullptr);  // nothing given: nothing happens
}

// The report header on the real panels.
TEST(MainFormTest, AReportSavedAsTypeOneLoadsIntoTypeTwo) {
  TMainFormFixture f("none");
  TVELTMainForm& form = f.Start();
  IReportForm& panels = form.ReportForm();
  for (int field = 1; field <= kReportHeaderFields; ++field) {
    panels.SetHeaderFieldText(kReportType1, field, "value " + std::to_string(field));
  }
  panels.SetHeaderFieldText(kReportType1, 36, "first line\r\nsecond line");
  TSimpleReportHeader one;
  one.ReadHeader(panels);
  const std::filesystem::path path = f.Data / "typical_reports" / "pipe.rct";
  ASSERT_TRUE(one.SaveToFile(path));
  TSimpleReport2Header two;
  ASSERT_TRUE(two.LoadFromFile(path));
  two.ShowHeader(panels);
  for (int field = 1; field <= kReportHeaderFields; ++field) {
    EXPECT_EQ(panels.HeaderFieldText(kReportType2, field),
              panels.HeaderFieldText(kReportType1, field))
        << "field " << field;
  }
}

TEST(MainFormTest, RemovingTheMiddleRecordLeavesTheTypedTextsInTheirGridRows) {
  TMainFormFixture f("none");
  TVELTMainForm& form = f.Start();
  IReportForm& panels = form.ReportForm();
  form.Flaws.Build(3, 3, 26, 0, 1);
  for (std::uint16_t i = 0; i < 3; ++i) {
    form.Flaws.Records[i]->FlawNumber = static_cast<std::uint16_t>(10 + i);
  }
  TSimpleReportHeader& header = *form.AppendixHeader;
  for (auto& record : form.Flaws.Records) {
    header.AddFlaw(panels, *record, true);
  }
  ASSERT_EQ(panels.ReportGridRowCount(kReportType1), 4);
  EXPECT_EQ(panels.ReportGridCell(kReportType1, 7, 3), "12");
  for (int row = 1; row <= 3; ++row) {
    panels.SetReportGridCell(kReportType1, 1, row, "joint " + std::to_string(row));
  }
  header.RemoveFlaw(panels, *form.Flaws.Records[1], true);
  EXPECT_EQ(panels.ReportGridRowCount(kReportType1), 3);
  EXPECT_EQ(panels.ReportGridCell(kReportType1, 7, 2), "12");  // the third record moved up
  EXPECT_EQ(panels.ReportGridCell(kReportType1, 1, 2), "joint 2");  // typed text stays
  header.ReadRows(panels);
  ASSERT_EQ(header.RowRecords().size(), 2u);
  EXPECT_EQ(header.RowRecords()[1].Strings[0], "joint 2");

  // A record added later keeps an empty row until something is typed.
  TSimpleReportHeader fresh;
  fresh.AddFlaw(panels, *form.Flaws.Records[0], true);
  EXPECT_EQ(fresh.RowRecords()[0].Strings[0], "");
}

TEST(MainFormTest, TheProgressWindowComesBackAfterBeingClosed) {
  TMainFormFixture f("none");
  f.Start();
  f.Progress.ShowProgress(f.Strings.Caption(52), true);
  ASSERT_TRUE(f.Progress.FormExists());
  TProgressForm& form = f.Progress.Form();
  EXPECT_TRUE(form.isVisible());
  EXPECT_EQ(Text(form.Text()), f.Utf8(f.Strings.Caption(52)));
  EXPECT_EQ(form.Gauge(), 0);
  EXPECT_TRUE(form.windowFlags() & Qt::WindowStaysOnTopHint);
  f.Progress.SetProgress(67);
  EXPECT_EQ(form.Gauge(), 67);
  f.Progress.HideProgress();
  EXPECT_FALSE(form.isVisible());

  form.close();  // closing destroys it
  testing::ProcessEventsUntil([&f] { return !f.Progress.FormExists(); }, 1000);
  EXPECT_FALSE(f.Progress.FormExists());
  f.Progress.ShowProgress(f.Strings.Caption(51), false);
  EXPECT_TRUE(f.Progress.FormExists());
  EXPECT_TRUE(f.Progress.Form().isVisible());
}

// Runs `act` once the next modal window is up, then closes it with `key`.
void AtTheNextBox(const std::function<void(QWidget&)>& act, int key) {
  QTimer::singleShot(0, [act, key] {
    QWidget* box = QApplication::activeModalWidget();
    ASSERT_NE(box, nullptr);
    act(*box);
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(box->focusWidget() != nullptr ? box->focusWidget() : box, &press);
  });
}

TEST(MainFormTest, EnterAnswersAQuestionWithItsPreselectedButton) {
  TMainFormFixture f("none");
  f.Start();
  struct TCase {
    TAnswer Preselected;
    int Key;
    bool Answer;
  };
  const TCase cases[] = {{TAnswer::No, Qt::Key_Return, false},
                         {TAnswer::No, Qt::Key_Enter, false},
                         {TAnswer::Yes, Qt::Key_Return, true},
                         {TAnswer::Yes, Qt::Key_Escape, false}};
  TQtUserFeedback feedback;
  for (const TCase& c : cases) {
    AtTheNextBox([](QWidget&) {}, c.Key);
    EXPECT_EQ(feedback.AskYesNo("q", "drop?", TMessageIcon::Warning, c.Preselected), c.Answer)
        << static_cast<int>(c.Preselected) << " key " << c.Key;
  }
  // A question that names no button keeps the data.
  AtTheNextBox([](QWidget&) {}, Qt::Key_Return);
  EXPECT_FALSE(static_cast<IUserFeedback&>(feedback).AskYesNo("q", "drop?", TMessageIcon::Warning));
}

// The action a key runs may leave the focus elsewhere (a dialog that has
// closed leaves none until the window is active again): the key still
// runs it once.
TEST(MainFormTest, AFunctionKeyRunsItsActionOnceWhereverTheFocusGoes) {
  TMainFormFixture f("none");
  TVELTMainForm& form = f.Start();
  form.activateWindow();
  QTableWidget& selector = *form.findChild<QTableWidget*>("FlawSelectorDataDrawGrid");
  QAction& first = *form.Action("FirstFlawAction");  // does nothing without records
  first.setEnabled(true);
  const std::function<void()> moves[] = {
      [] {
        if (QWidget* focus = QApplication::focusWidget()) {
          focus->clearFocus();
        }
      },
      [&form] { form.PageControl().widget(kDataTab)->setFocus(); },
  };
  for (const auto& move : moves) {
    selector.setFocus();
    ASSERT_EQ(QApplication::focusWidget(), &selector);
    int runs = 0;
    const QMetaObject::Connection counting =
        QObject::connect(&first, &QAction::triggered, [&runs, &move] {
          ++runs;
          move();
        });
    SendKey(form, QEvent::KeyPress, Qt::Key_F6);
    QObject::disconnect(counting);
    EXPECT_EQ(runs, 1) << (&move == &moves[0] ? "focus gone" : "focus moved up");
  }
}

TEST(MainFormTest, TheDataAndSetupToolBarsCarryTheUnplugButton) {
  for (const char* bar : {"FlawsToolBar", "ConfigsToolBar"}) {
    TMainFormFixture f("1:3.26");
    TVELTMainForm& form = f.Start();
    auto* tools = form.findChild<QToolBar*>(bar);
    ASSERT_NE(tools, nullptr) << bar;
    auto* button = qobject_cast<QToolButton*>(tools->widgetForAction(form.Action("UnplugDeviceAction")));
    ASSERT_NE(button, nullptr) << bar;
    EXPECT_EQ(Text(button->toolTip()), "<B>F3 </B>" + f.Utf8(f.Strings.Value(156)));
    button->click();
    EXPECT_FALSE(f.Connection->State.Connected) << bar;
  }
}

// After a record download the keyboard is where it was, wherever the
// window system put it when the progress window went.
TEST(MainFormTest, TheProgressWindowGivesTheFocusBack) {
  TMainFormFixture f("1:4.0.3");
  TVELTMainForm& form = f.Start();
  form.activateWindow();
  testing::ProcessEventsUntil([&form] { return QApplication::activeWindow() == &form; });
  QTableWidget& selector = *form.findChild<QTableWidget*>("FlawSelectorDataDrawGrid");
  selector.setFocus();
  QWidget elsewhere;
  elsewhere.show();
  struct TOnHide : QObject {
    QWidget& Window;
    explicit TOnHide(QWidget& window) : Window(window) {}
    bool eventFilter(QObject*, QEvent* event) override {
      if (event->type() == QEvent::Hide) {
        Window.activateWindow();
      }
      return false;
    }
  } onHide(elsewhere);
  f.Progress.Form().installEventFilter(&onHide);
  form.Action("ReceiveFlawsAction")->trigger();
  ASSERT_GT(form.Flaws.Count, 0);
  testing::ProcessEventsUntil([] { return false; }, 200);  // every activation handled
  EXPECT_EQ(QApplication::activeWindow(), &form);
  EXPECT_EQ(QApplication::focusWidget(), &selector);
}

// Painted before the first transfer and at every step, without the event
// loop in between; out of the way of any message box.
TEST(MainFormTest, TheProgressWindowIsPaintedAndStepsAsideForMessageBoxes) {
  TMainFormFixture f("none");
  f.Start();
  TProgressForm& window = f.Progress.Form();
  auto* gauge = window.findChild<QProgressBar*>("ProgressGauge");
  int paints = 0;
  struct TPaintCounter : QObject {
    int& Count;
    explicit TPaintCounter(int& count) : Count(count) {}
    bool eventFilter(QObject*, QEvent* event) override {
      Count += event->type() == QEvent::Paint ? 1 : 0;
      return false;
    }
  } counter(paints);
  gauge->installEventFilter(&counter);
  f.Progress.ShowProgress(f.Strings.Caption(52), true);
  EXPECT_GT(paints, 0);
  for (int step : {10, 20}) {
    const int before = paints;
    f.Progress.SetProgress(step);
    EXPECT_GT(paints, before) << step;
  }

  TQtUserFeedback feedback;
  const std::function<void()> boxes[] = {
      [&feedback] { feedback.ShowMessage("caption", "text", TMessageIcon::Error); },
      [] {  // as the link library shows its own
        QMessageBox box(QMessageBox::NoIcon, "link", "failed", QMessageBox::Ok);
        box.exec();
      }};
  for (const auto& box : boxes) {
    bool coveredBox = true;
    AtTheNextBox([&window, &coveredBox](QWidget&) { coveredBox = window.isVisible(); },
                 Qt::Key_Return);
    box();
    EXPECT_FALSE(coveredBox);
    f.Progress.SetProgress(50);  // the operation goes on: so does its window
    EXPECT_TRUE(window.isVisible());
  }
  f.Progress.HideProgress();
}

}  // namespace
}  // namespace velt
