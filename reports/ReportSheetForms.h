// The printed sheets: the protocol sheet of each report type, the flaw
// appendix, and the job that draws them onto a printer, a preview or a PDF
// file. One object each for the life of the program (TReportSheets); the
// report headers fill them and hand out rows and records as the band
// engine asks for them. Qt Gui only.
#pragma once

#include <QString>
#include <array>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include <reports/BandEngine.h>
#include <reports/ReportSheetPorts.h>

class QPagedPaintDevice;

namespace velt {

// Model strings (Windows-1251) as Qt text.
QString SheetText(const std::string& cp1251);

// Where a sheet's fields lie: what differs between the two report types.
struct TSheetGeometry {
  int Type;
  double TitleHeight;       // 108.7 / 113.0
  double BlockRuleX;        // the two-column block's vertical rule
  double CharacteristicsY;  // the control characteristics
  double ClosingHeight;     // 86.8 / 81.0
  std::array<double, 3> InspectorHeights;
  double ColumnTitleHeight;  // 12.7 / 20.6
  // The table: column edges (one more than columns), what each column
  // shows (-1 entry number, -2 flaw number, k row string k+1), which are
  // multi-line, and their title caption strings.
  std::vector<double> Edges;
  std::vector<int> Contents;
  std::vector<bool> MultiLine;
  std::vector<std::vector<std::uint16_t>> Titles;
};

// One inspector's fields on a sheet.
struct TInspectorFields {
  TBandItem* Specialist;
  TBandItem* Level;
  TBandItem* LevelCaption;
  TBandItem* CertificateCaption;
  TBandItem* CertificateNumber;
  TBandItem* IssuingCaption;
  TBandItem* Issuing;
  TBandItem* ExpiryCaption;
  TBandItem* Expiry;
  TBandItem* Name;
};

class TProtocolSheetForm : public IProtocolSheet {
 public:
  explicit TProtocolSheetForm(TSheetGeometry geometry);

  void SetHeaderFields(const TReportHeaderFields& fields) override;
  void SetCaptions(const TSheetCaptions& captions) override;
  void SetRow(const TSheetRow& row) override;

  TBandLayout& Layout() { return Bands; }
  const TSheetGeometry& Geometry() const { return Shape; }
  // Passed to a printer with the sheet (type 1 only asks for it).
  bool Duplex = false;

 private:
  void BuildTitle();
  void BuildTable();
  void BuildClosing();
  TInspectorFields BuildInspector(TBand& band, double y);
  void Fixed(TBandItem& item, std::function<QString()> text) {
    FixedTexts.emplace_back(&item, std::move(text));
  }

  TSheetGeometry Shape;
  TBand Title, ColumnTitles, Row, Closing;
  std::array<TBand, 3> InspectorBands;
  TBandLayout Bands;

  // Values and captions of the title and closing bands, by header field.
  TBandItem *Organisation{}, *ProtocolNumber{}, *ProtocolDate{};
  TBandItem *ControlObject{}, *ReasonAndDate{}, *ObjectDescription{}, *Normative{};
  TBandItem *DeviceType{}, *DeviceSerial{}, *ProbeType{}, *ProbeSerial{};
  TBandItem *CertificateNumber{}, *CertificateExpiry{}, *Characteristics{};
  TBandItem *Appendixes{}, *Conclusion{};
  TBandItem *ControlObjectCaption{}, *ReasonCaption{}, *DescriptionCaption{}, *NormativeCaption{};
  TBandItem *DeviceTypeCaption{}, *DeviceSerialCaption{}, *ProbeTypeCaption{};
  TBandItem *ProbeSerialCaption{}, *CertificateCaption{}, *ExpiryCaption{};
  TBandItem *CharacteristicsCaption{}, *AppendixesCaption{}, *ConclusionCaption{};
  std::array<TInspectorFields, 4> Inspectors{};
  std::vector<TBandItem*> Cells;
  std::vector<std::pair<TBandItem*, std::function<QString()>>> FixedTexts;
};

class TSimpleReportSheetForm : public TProtocolSheetForm {
 public:
  TSimpleReportSheetForm();
};

class TSimpleReport2SheetForm : public TProtocolSheetForm {
 public:
  TSimpleReport2SheetForm();
};

class TSimpleReportFlawAppendixForm : public IAppendixSheet {
 public:
  TSimpleReportFlawAppendixForm();

  void SetCaptions() override;
  void SetSheetNumber(int number) override;
  void SetBlock(TDataCell& record, const TAppendixBlock& block) override;

  TBandLayout& Layout() { return Bands; }

 private:
  TBand PageHeader{5.3}, Detail{131.5};
  TBandLayout Bands;
  TBandItem *SheetCaption{}, *Picture{};
  TBandItem *FrameCaption{}, *FlawNumber{}, *IndexCaption{}, *ConfigIndex{};
  TBandItem *ConfigCaption{}, *ConfigName{}, *CaptureTime{}, *CaptureDate{};
  std::array<TBandItem*, 8> ResultCaptions{}, ResultValues{};
  std::array<TBandItem*, 7> ConditionCaptions{}, ConditionValues{};
  std::array<std::array<TBandItem*, 5>, 4> ParameterCaptions{}, ParameterValues{};
  TBandItem* Comments{};
  QString SheetCaptionText;
};

class TReportSheets;

// One job's pages: the sheet then the appendix, or the appendix alone.
// Render may be called again (a preview redraws): each run starts the
// counters afresh.
class TReportJob {
 public:
  TReportJob(TReportSheets& sheets, int type, TReportJobKind kind)
      : Sheets(sheets), Type(type), Kind(kind) {}
  // The print job's title (caption string 157).
  QString Title() const;
  // Whether the printer should print both sides (the type-1 sheet's setting).
  bool Duplex() const;
  // Draws every page onto the device, one page at a time; the number of
  // pages, or -1 when the device could not be painted on.
  int Render(QPagedPaintDevice& device);

 private:
  TReportSheets& Sheets;
  int Type;
  TReportJobKind Kind;
};

// Where jobs go: the GUI previews them in a preview window and prints them
// through the system's printers; veltctl and the tests write PDF files.
class IReportJobSink {
 public:
  virtual ~IReportJobSink() = default;
  virtual bool Preview(TReportJob& job) = 0;
  virtual bool Print(TReportJob& job) = 0;
};

// The program's printed sheets, created in the program's start order.
class TReportSheets : public IReportPrinting {
 public:
  TReportSheets(IReportJobSink& sink, IProgressFeedback& progress)
      : Sink(&sink), ProgressPort(progress) {}

  IProtocolSheet& Sheet(int type) override;
  IAppendixSheet& Appendix() override { return FlawAppendix; }
  IProgressFeedback& Progress() override { return ProgressPort; }
  bool Run(TBaseReportHeader& header, int type, TReportJobKind kind,
           TReportJobOutput output) override;

  void SetSink(IReportJobSink& sink) { Sink = &sink; }

  TSimpleReport2SheetForm Sheet2;
  TSimpleReportSheetForm Sheet1;
  TSimpleReportFlawAppendixForm FlawAppendix;

 private:
  IReportJobSink* Sink;
  IProgressFeedback& ProgressPort;
};

}  // namespace velt
