// The signal view: the instrument-like picture of one A-scan, drawn from a
// record and its configuration into an off-screen bitmap, with the frame,
// grid and scale of the instrument's screen, the trace or traces, the two
// strobes, the cursor and its amplitude marker and the TGV or DGS curve.
// The same drawing serves the data, setup, online and report tabs and the
// images of printed reports.
#pragma once

#include <QImage>

#include <records/UniversalDataObjectUnit.h>
#include <signal/ColorSchemesUnit.h>

namespace velt {

// The picture's bitmap size for V pixels per column and the vertical scale e.
QSize SignalViewSize(int v, double e);

// Renders the whole picture. The record's DGS curves are filled (and the
// corrected one divided) as the picture draws them. In the report form every
// element is black on white and the traces run over all 320 columns.
QImage RenderSignalView(TDataCell& record, double e, int v, const TColourScheme& scheme,
                        bool reportForm = false);

// Where a tab shows its picture. A surface without a canvas cannot be used.
class TSignalSurface {
 public:
  virtual ~TSignalSurface() = default;
  virtual QImage* Canvas() = 0;
  // Shows what was drawn on the canvas.
  virtual void Present() = 0;
};

// Renders the picture and puts it on the clipboard, or draws it on the
// surface at (x0, y0) and presents the surface. Nothing is drawn on a
// surface that cannot be used.
void DrawSignalView(TDataCell& record, TSignalSurface& surface, bool toClipboard, double e, int y0,
                    int x0, int v, const TColourScheme& scheme);

// The printed reports' form, drawn onto the report image at (x, y).
void DrawSignalViewIntoReport(TDataCell& record, QImage& reportImage, double e, int x, int y,
                              int v);

// Fills a usable surface with black and presents it.
void ClearSignalView(TSignalSurface& surface);

}  // namespace velt
