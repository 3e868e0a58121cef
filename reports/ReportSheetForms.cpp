#include <reports/ReportSheetForms.h>

#include <QStringDecoder>
#include <cmath>

#include <reports/ReportHeadersUnit.h>
#include <signal/SignalViewUnit.h>
#include <strings/LocalStringsUnit.h>

namespace velt {

namespace {

using F = TBandFont;

constexpr int kCentred = Qt::AlignHCenter | Qt::AlignVCenter;
constexpr int kMiddleLeft = Qt::AlignLeft | Qt::AlignVCenter;

// Caption strings of the sheets and the appendix.
constexpr std::uint16_t kTeamCaption = 106;
constexpr std::uint16_t kHeadCaption = 107;
constexpr std::uint16_t kJobTitle = 157;
constexpr std::uint16_t kAppendixSheetCaption = 160;
constexpr std::uint16_t kFrameCaption = 161;
constexpr std::uint16_t kIndexCaption = 162;
constexpr std::uint16_t kConfigCaption = 163;
// Value strings.
constexpr std::uint16_t kProtocolNumberCaption = 99;
constexpr std::uint16_t kResultsCaption = 101;
constexpr std::uint16_t kDateCaption = 102;

// The signal picture of an appendix block: its field in mm and in the
// layout's dots, and how the picture is drawn into it.
constexpr double kPictureWidthMm = 85.7;
constexpr double kPictureHeightMm = 64.6;
constexpr double kPictureScale = 1.22;
constexpr int kPictureX = 1;
constexpr int kPictureY = 1;
constexpr int kPicturePixels = 1;

// The four columns of settings under an appendix block's picture: left
// edge and width in mm. A caption starts at the left edge and its value
// ends at the right one; a column is as wide as its longest caption and
// value on one line need (in the first, the probe type beside its caption,
// and the probe arrow's long caption beside its number).
constexpr std::pair<double, double> kSettingColumns[4] = {
    {0, 50}, {52.5, 44.5}, {99.5, 40}, {142, 48}};

QString Caption(std::uint16_t n) {
  return SheetText(CaptionString(n));
}

QString Value(std::uint16_t n) {
  return SheetText(ValueString(n));
}

int DotsOf(double mm) {
  return static_cast<int>(std::lround(mm * kLayoutDpi / 25.4));
}

}  // namespace

QString SheetText(const std::string& cp1251) {
  QStringDecoder decoder("windows-1251");
  return decoder.decode(QByteArrayView(cp1251.data(), static_cast<qsizetype>(cp1251.size())));
}

// ---- Protocol sheets ----------------------------------------------------------------------

TProtocolSheetForm::TProtocolSheetForm(TSheetGeometry geometry)
    : Shape(std::move(geometry)),
      Title(Shape.TitleHeight),
      ColumnTitles(Shape.ColumnTitleHeight),
      Row(10.6),
      Closing(Shape.ClosingHeight) {
  BuildTitle();
  BuildTable();
  BuildClosing();
  Bands.Start = [this] {
    if (Header != nullptr) {
      Header->BeforeSheet(this);
    }
    RowCounter = 0;
    ColumnTitlesPending = true;
    // The sheet's own captions come from the string files, read as each
    // job starts.
    for (auto& [item, text] : FixedTexts) {
      item->Text = text();
    }
  };
  Bands.Title = &Title;
  Bands.ColumnHeader = &ColumnTitles;
  Bands.Detail = &Row;
  Bands.NeedData = [this] { return Header != nullptr && Header->NextSheetRow(this); };
  Bands.Summary = {&Closing, &InspectorBands[0], &InspectorBands[1], &InspectorBands[2]};
}

void TProtocolSheetForm::BuildTitle() {
  TBand& b = Title;
  Organisation = &b.Memo(0, 0, kPrintableWidthMm, 10.8, F::Organisation, {}, Qt::AlignHCenter);
  Fixed(b.Text(40, 12.7, 32, 5, F::Caption, {}, Qt::AlignRight),
        [] { return Value(kProtocolNumberCaption); });
  ProtocolNumber = &b.Text(73, 12.7, 40, 5, F::Value);
  Fixed(b.Text(114, 12.7, 8, 5, F::Caption), [] { return Value(kDateCaption); });
  ProtocolDate = &b.Text(123, 12.7, 45, 5, F::Value);
  b.Rule(0, 18.6, kPrintableWidthMm, 18.6);

  // Caption at the left, value from 53 mm.
  const auto row = [&b](TBandItem*& caption, TBandItem*& value, double y, double h) {
    caption = &b.Memo(0, y, 52, h, F::Caption);
    value = &b.Memo(53, y, kPrintableWidthMm - 53, h, F::Value);
  };
  row(ControlObjectCaption, ControlObject, 20.6, 8.7);
  row(ReasonCaption, ReasonAndDate, 29.9, 13.2);
  row(DescriptionCaption, ObjectDescription, 43.7, 13.2);
  row(NormativeCaption, Normative, 57.5, 5);

  // The two-column block: the instrument and probe | the certificate.
  const double top = 63.5;
  const double x = Shape.BlockRuleX;
  b.Rule(x, top, x, top + 21.2);
  const auto left = [&b, x](TBandItem*& caption, TBandItem*& value, double y) {
    caption = &b.Text(0, y, 45, 5, F::Caption);
    value = &b.Text(46, y, x - 47, 5, F::Value);
  };
  left(DeviceTypeCaption, DeviceType, top);
  left(DeviceSerialCaption, DeviceSerial, top + 5.3);
  left(ProbeTypeCaption, ProbeType, top + 10.6);
  left(ProbeSerialCaption, ProbeSerial, top + 15.9);
  // The certificate captions are long, its number and date short.
  const double rightValue = kPrintableWidthMm - 27;
  CertificateCaption = &b.Text(x + 2, top, rightValue - x - 3, 5, F::Caption);
  CertificateNumber = &b.Text(rightValue, top, 27, 5, F::Value);
  ExpiryCaption = &b.Text(x + 2, top + 5.3, rightValue - x - 3, 5, F::Caption);
  CertificateExpiry = &b.Text(rightValue, top + 5.3, 27, 5, F::Value);

  row(CharacteristicsCaption, Characteristics, Shape.CharacteristicsY, 13.2);
  Fixed(b.Text(0, Shape.TitleHeight - 6.2, kPrintableWidthMm, 5, F::Caption),
        [] { return Value(kResultsCaption); });
}

void TProtocolSheetForm::BuildTable() {
  const std::vector<double>& e = Shape.Edges;
  const double first = e.front();
  const double last = e.back();
  // Column titles, framed by the table's rules.
  TBand& t = ColumnTitles;
  const double h = Shape.ColumnTitleHeight;
  t.Rule(first, 0, last, 0);
  t.Rule(first, h, last, h);
  for (std::size_t c = 0; c + 1 < e.size(); ++c) {
    const std::vector<std::uint16_t>& numbers = Shape.Titles[c];
    Fixed(t.Memo(e[c] + 0.3, 0.3, e[c + 1] - e[c] - 0.6, h - 0.6, F::CellCaption, {}, kCentred),
          [numbers] {
            QStringList lines;
            for (std::uint16_t n : numbers) {
              lines << Caption(n);
            }
            return lines.join('\n');
          });
  }
  for (double edge : e) {
    t.Rule(edge, 0, edge, h);
  }
  t.PrintWhen = [this] {
    // Once, above the first row: the flag lets it through one time.
    const bool print = ColumnTitlesPending;
    ColumnTitlesPending = false;
    return print;
  };

  // A table row with a rule under it.
  TBand& r = Row;
  for (std::size_t c = 0; c + 1 < e.size(); ++c) {
    const double x = e[c] + 0.5;
    const double w = e[c + 1] - e[c] - 1;
    const bool number = Shape.Contents[c] < 0;
    // Every cell of a row is centred on the row's height, the lines of a
    // long text as a block.
    const double cellHeight = r.HeightMm - 0.8;
    Cells.push_back(Shape.MultiLine[c] ? &r.Memo(x, 0.4, w, cellHeight, F::Cell, {}, kMiddleLeft)
                                       : &r.Text(x, 0.4, w, cellHeight, F::Cell, {},
                                                 number ? kCentred : kMiddleLeft));
  }
  for (double edge : e) {
    r.Rule(edge, 0, edge, r.HeightMm);
  }
  r.Rule(first, r.HeightMm, last, r.HeightMm);
  // The column titles close the table at the top once; where the table
  // goes on over a page break, its first row there closes it.
  r.Rule(first, 0, last, 0).OnlyAtPageTop = true;
}

TInspectorFields TProtocolSheetForm::BuildInspector(TBand& band, double y) {
  TInspectorFields f{};
  f.Specialist = &band.Text(0, y, 38, 5, F::Caption);
  f.Level = &band.Text(39, y, 12, 5, F::Value, {}, Qt::AlignHCenter);
  f.LevelCaption = &band.Text(52, y, 30, 5, F::Caption);
  f.CertificateCaption = &band.Text(0, y + 5.3, 38, 5, F::Caption);
  f.CertificateNumber = &band.Text(39, y + 5.3, 45, 5, F::Value);
  f.IssuingCaption = &band.Text(86, y + 5.3, 30, 5, F::Caption);
  f.Issuing = &band.Memo(117, y + 5.3, kPrintableWidthMm - 117, 9.8, F::Value);
  f.ExpiryCaption = &band.Text(0, y + 10.6, 38, 5, F::Caption);
  f.Expiry = &band.Text(39, y + 10.6, 45, 5, F::Value);
  // The signature line, the name at its right end.
  band.Rule(100, y + 20.5, 150, y + 20.5);
  f.Name = &band.Text(151, y + 16, kPrintableWidthMm - 151, 5, F::Value);
  return f;
}

void TProtocolSheetForm::BuildClosing() {
  TBand& b = Closing;
  AppendixesCaption = &b.Text(0, 1, 52, 5, F::Caption);
  Appendixes = &b.Text(53, 1, kPrintableWidthMm - 53, 5, F::Value);
  ConclusionCaption = &b.Memo(0, 7, 52, 10, F::Caption);
  Conclusion = &b.Memo(53, 7, kPrintableWidthMm - 53, 29.9, F::Value);
  b.Rule(0, 38, kPrintableWidthMm, 38);
  Fixed(b.Text(0, 39.5, kPrintableWidthMm, 5, F::Caption, {}, Qt::AlignHCenter),
        [] { return Caption(kTeamCaption); });
  Fixed(b.Text(0, 45.5, kPrintableWidthMm, 5, F::Caption), [] { return Caption(kHeadCaption); });
  Inspectors[0] = BuildInspector(b, 51.5);
  for (std::size_t i = 0; i < InspectorBands.size(); ++i) {
    TBand& band = InspectorBands[i];
    band.HeightMm = Shape.InspectorHeights[i];
    Inspectors[i + 1] = BuildInspector(band, 1);
    // An inspector without a name is left off the sheet.
    const TBandItem* name = Inspectors[i + 1].Name;
    band.PrintWhen = [name] { return !name->Text.isEmpty(); };
  }
}

void TProtocolSheetForm::SetHeaderFields(const TReportHeaderFields& h) {
  Organisation->Text = SheetText(h.OrganizationName);
  ProtocolNumber->Text = SheetText(h.ProtocolNumber);
  ProtocolDate->Text = SheetText(h.ProtocolDate);
  ControlObject->Text = SheetText(h.ControlObject);
  ReasonAndDate->Text = SheetText(h.ControlReasonAndDate);
  ObjectDescription->Text = SheetText(h.ObjectDescription);
  Normative->Text = SheetText(h.NormativeDocumentation);
  DeviceType->Text = SheetText(h.DeviceType);
  DeviceSerial->Text = SheetText(h.DeviceSerialNumber);
  ProbeType->Text = SheetText(h.ProbeType);
  ProbeSerial->Text = SheetText(h.ProbeSerialNumber);
  CertificateNumber->Text = SheetText(h.CertificateNumber);
  CertificateExpiry->Text = SheetText(h.CertificateValidUntil);
  Characteristics->Text = SheetText(h.ControlCharacteristics);
  Appendixes->Text = SheetText(h.Appendixes);
  Conclusion->Text = SheetText(h.Conclusion);
  for (std::size_t i = 0; i < Inspectors.size(); ++i) {
    const TReportInspector& from = h.Inspectors[i];
    TInspectorFields& to = Inspectors[i];
    to.Name->Text = SheetText(from.InspectorName);
    to.Level->Text = SheetText(from.InspectorLevel);
    to.CertificateNumber->Text = SheetText(from.InspectorCertificateNumber);
    to.Expiry->Text = SheetText(from.InspectorCertificateExpiry);
    to.Issuing->Text = SheetText(from.InspectorIssuingOrganization);
  }
}

void TProtocolSheetForm::SetCaptions(const TSheetCaptions& c) {
  ControlObjectCaption->Text = SheetText(c.ControlObject);
  ReasonCaption->Text = SheetText(c.ReasonAndDate);
  DescriptionCaption->Text = SheetText(c.ObjectDescription);
  NormativeCaption->Text = SheetText(c.NormativeDocumentation);
  DeviceTypeCaption->Text = SheetText(c.DeviceType);
  DeviceSerialCaption->Text = SheetText(c.DeviceSerialNumber);
  ProbeTypeCaption->Text = SheetText(c.ProbeType);
  ProbeSerialCaption->Text = SheetText(c.ProbeSerialNumber);
  CertificateCaption->Text = SheetText(c.CertificateNumber);
  ExpiryCaption->Text = SheetText(c.CertificateExpiry);
  CharacteristicsCaption->Text = SheetText(c.ControlCharacteristics);
  AppendixesCaption->Text = SheetText(c.Appendixes);
  ConclusionCaption->Text = SheetText(c.Conclusion);
  for (TInspectorFields& f : Inspectors) {
    f.Specialist->Text = SheetText(c.Specialist);
    f.LevelCaption->Text = SheetText(c.Level);
    f.CertificateCaption->Text = SheetText(c.InspectorCertificate);
    f.IssuingCaption->Text = SheetText(c.Issuing);
    f.ExpiryCaption->Text = SheetText(c.Expiry);
  }
}

void TProtocolSheetForm::SetRow(const TSheetRow& row) {
  for (std::size_t c = 0; c < Cells.size(); ++c) {
    const int content = Shape.Contents[c];
    QString text;
    if (content == -1) {
      text = QString::number(row.EntryNumber);
    } else if (content == -2) {
      text = QString::number(row.FlawNumber);
    } else if (static_cast<std::size_t>(content) < row.Strings.size()) {
      text = SheetText(row.Strings[static_cast<std::size_t>(content)]);
    }
    Cells[c]->Text = text;
  }
}

TSimpleReportSheetForm::TSimpleReportSheetForm()
    : TProtocolSheetForm({kReportType1,
                          108.7,
                          110.1,
                          87.5,
                          86.8,
                          {25.4, 25.4, 23.3},
                          12.7,
                          {2.4, 11.4, 36.8, 62.2, 81.8, 95.5, 118.5, 133.1, 147.9, 187.1},
                          {-1, 0, 1, 2, 3, 4, 5, -2, 6},
                          {false, false, false, false, false, true, false, false, true},
                          {{90, 91},
                           {92, 93},
                           {94},
                           {95, 96},
                           {97, 98},
                           {99, 100},
                           {101, 102},
                           {103, 104},
                           {105}}}) {}

TSimpleReport2SheetForm::TSimpleReport2SheetForm()
    : TProtocolSheetForm({kReportType2,
                          113.0,
                          101.6,
                          91.3,
                          81.0,
                          {23.3, 23.3, 23.3},
                          20.6,
                          {2.4, 11.4, 24.1, 45.2, 65.6, 79.1, 95.8, 113.2, 140.0, 156.4, 187.1},
                          {-1, -2, 0, 1, 2, 3, 4, 5, 6, 7},
                          {false, false, false, false, false, false, false, true, false, true},
                          {{90, 91},
                           {133, 134},
                           {135, 136, 137, 138},
                           {139, 140, 141, 142},
                           {143, 144, 145},
                           {146, 147, 148},
                           {149, 150, 151},
                           {152, 153},
                           {154, 155},
                           {156}}}) {}

// ---- Flaw appendix --------------------------------------------------------------------------

TSimpleReportFlawAppendixForm::TSimpleReportFlawAppendixForm() {
  SheetCaption = &PageHeader.Text(0, 0, kPrintableWidthMm, 5, F::Caption, {}, Qt::AlignRight);

  TBand& d = Detail;
  // Top line: frame, index and configuration; capture time and date at the right.
  FrameCaption = &d.Text(0, 0.5, 17, 5, F::Caption);
  FlawNumber = &d.Text(17, 0.5, 17, 5, F::Cell, {}, kMiddleLeft);
  IndexCaption = &d.Text(35, 0.5, 17, 5, F::Caption);
  ConfigIndex = &d.Text(52, 0.5, 14, 5, F::Cell, {}, kMiddleLeft);
  ConfigCaption = &d.Text(67, 0.5, 32, 5, F::Caption);
  ConfigName = &d.Text(99, 0.5, 44, 5, F::Cell, {}, kMiddleLeft);
  CaptureTime = &d.Text(144, 0.5, 18, 5, F::Cell, {}, kMiddleLeft);
  CaptureDate = &d.Text(163, 0.5, 27, 5, F::Cell, {}, kMiddleLeft);

  Picture = &d.Picture(0, 6.5, kPictureWidthMm, kPictureHeightMm);

  // Two caption/value columns right of the picture.
  const double top = 7;
  const double step = 4.6;
  for (std::size_t i = 0; i < ResultCaptions.size(); ++i) {
    const double y = top + step * static_cast<double>(i);
    ResultCaptions[i] = &d.Text(87.5, y, 37, 4.5, F::Cell);
    ResultValues[i] = &d.Text(124.5, y, 13, 4.5, F::Cell);
  }
  for (std::size_t i = 0; i < ConditionCaptions.size(); ++i) {
    const double y = top + step * static_cast<double>(i);
    ConditionCaptions[i] = &d.Text(139, y, 36, 4.5, F::Cell);
    ConditionValues[i] = &d.Text(175, y, 15, 4.5, F::Cell);
  }
  // Four columns of settings under the picture, each caption at the
  // column's left edge and its value against the right edge.
  const double below = 72.5;
  for (std::size_t c = 0; c < ParameterCaptions.size(); ++c) {
    const auto [x, width] = kSettingColumns[c];
    for (std::size_t i = 0; i < ParameterCaptions[c].size(); ++i) {
      const double y = below + step * static_cast<double>(i);
      ParameterCaptions[c][i] = &d.Text(x, y, width, 4.5, F::Cell);
      ParameterValues[c][i] = &d.Text(x, y, width, 4.5, F::Cell, {}, Qt::AlignRight | Qt::AlignTop);
    }
  }
  d.Text(0, 97.5, 40, 5, F::Caption, QStringLiteral("Комментарии:"));
  Comments = &d.Memo(0, 103, kPrintableWidthMm, 19.3, F::Cell);

  Bands.Start = [this] {
    // Each job restarts the records and the sheet numbers.
    RecordCounter = 0;
    FirstBlockPending = true;
    SetSheetNumber(1);
  };
  Bands.PageHeader = {&PageHeader};
  Bands.Detail = &Detail;
  Bands.PageOnFirstData = true;
  Bands.NeedData = [this] {
    FirstBlockPending = false;
    return Header != nullptr && Header->NextAppendixPage(this);
  };
}

void TSimpleReportFlawAppendixForm::SetCaptions() {
  SheetCaptionText = Caption(kAppendixSheetCaption);
  FrameCaption->Text = Caption(kFrameCaption);
  IndexCaption->Text = Caption(kIndexCaption);
  ConfigCaption->Text = Caption(kConfigCaption);
}

void TSimpleReportFlawAppendixForm::SetSheetNumber(int number) {
  SheetCaption->Text = SheetCaptionText + QString::number(number);
}

void TSimpleReportFlawAppendixForm::SetBlock(TDataCell& record, const TAppendixBlock& block) {
  QImage image(DotsOf(kPictureWidthMm), DotsOf(kPictureHeightMm), QImage::Format_RGB32);
  image.fill(Qt::white);
  DrawSignalViewIntoReport(record, image, kPictureScale, kPictureX, kPictureY, kPicturePixels);
  Picture->Picture = image;

  FlawNumber->Text = SheetText(block.FlawNumber);
  ConfigIndex->Text = SheetText(block.ConfigIndex);
  ConfigName->Text = SheetText(block.ConfigName);
  CaptureTime->Text = SheetText(block.CaptureTime);
  CaptureDate->Text = SheetText(block.CaptureDate);
  for (std::size_t i = 0; i < ResultCaptions.size(); ++i) {
    ResultCaptions[i]->Text = SheetText(block.Results[i].Caption);
    ResultValues[i]->Text = SheetText(block.Results[i].Value);
  }
  for (std::size_t i = 0; i < ConditionCaptions.size(); ++i) {
    ConditionCaptions[i]->Text = SheetText(block.Conditions[i].Caption);
    ConditionValues[i]->Text = SheetText(block.Conditions[i].Value);
  }
  for (std::size_t c = 0; c < ParameterCaptions.size(); ++c) {
    const auto& lines = block.Parameters[c];
    for (std::size_t i = 0; i < ParameterCaptions[c].size(); ++i) {
      const bool used = i < lines.size();
      QString caption = used ? SheetText(lines[i].Caption) : QString();
      QString value = used ? SheetText(lines[i].Value) : QString();
      // A value without a caption (the X scale) takes the caption's room.
      if (caption.isEmpty()) {
        std::swap(caption, value);
      }
      ParameterCaptions[c][i]->Text = caption;
      ParameterValues[c][i]->Text = value;
    }
  }
  Comments->Text = SheetText(block.Comments);
}

// ---- Jobs ---------------------------------------------------------------------------------

QString TReportJob::Title() const {
  return Caption(kJobTitle);
}

bool TReportJob::Duplex() const {
  return Kind == TReportJobKind::Protocol && Type == kReportType1 && Sheets.Sheet1.Duplex;
}

int TReportJob::Render(QPagedPaintDevice& device) {
  TBandPrinter printer(device);
  if (!printer.Begin()) {
    return -1;
  }
  if (Kind == TReportJobKind::Protocol) {
    printer.Print(Type == kReportType2 ? Sheets.Sheet2.Layout() : Sheets.Sheet1.Layout());
  }
  printer.Print(Sheets.FlawAppendix.Layout());
  return printer.End();
}

IProtocolSheet& TReportSheets::Sheet(int type) {
  if (type == kReportType2) {
    return Sheet2;
  }
  return Sheet1;
}

bool TReportSheets::Run(TBaseReportHeader&, int type, TReportJobKind kind,
                        TReportJobOutput output) {
  if (Sink == nullptr) {
    return false;
  }
  TReportJob job(*this, type, kind);
  return output == TReportJobOutput::Preview ? Sink->Preview(job) : Sink->Print(job);
}

}  // namespace velt
