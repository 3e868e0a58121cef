// The online tab's readout strip: eight seven-segment readouts of the
// measurement at the strobe, red on black like the instrument's display,
// each under its caption, and beside the depth the thickness, leg and "+"
// labels of a multi-leg depth. The texts come from the core
// (signal/OnlineReadoutValuesUnit); this widget only shows them.
#pragma once

#include <QString>
#include <QWidget>
#include <array>

#include <signal/OnlineReadoutValuesUnit.h>

class QLabel;

namespace velt {

class TDataCell;
class TLCD99;
class TLocalStrings;

class TOnlineReadouts : public QWidget {
 public:
  explicit TOnlineReadouts(QWidget* parent = nullptr);

  // The readouts' captions (value strings 49..56).
  void LoadTexts(const TLocalStrings& strings);

  // Shows the measurement of the drawing record; a record without a
  // configuration cell has nothing to measure and leaves the readouts as
  // they are. The record is not const: the signal level and the equivalent
  // area keep their running means in it.
  void Show(TDataCell& drawingRecord);

  // The state after the instrument's data were discarded: dashes.
  void Clear();

  // 0..7: signal, equivalent area, attenuator, search level, time, path,
  // horizontal offset, depth.
  TLCD99& Readout(int index) const;
  QLabel& Caption(int index) const;

  QString ThicknessText() const;
  QString LegText() const;
  QString PlusText() const;

 private:
  void ShowTexts(const TOnlineReadoutTexts& texts);

  std::array<TLCD99*, kOnlineReadouts> Readouts{};
  std::array<QLabel*, kOnlineReadouts> Captions{};
  QLabel* Thickness = nullptr;
  QLabel* Leg = nullptr;
  QLabel* Plus = nullptr;
};

}  // namespace velt
