#include <reports/BandEngine.h>

#include <QPageLayout>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPen>

namespace velt {

namespace {

double Dots(double mm) {
  return mm * kLayoutDpi / 25.4;
}

QRectF DotRect(const QRectF& mm, double top) {
  return {Dots(mm.x()), Dots(mm.y() + top), Dots(mm.width()), Dots(mm.height())};
}

}  // namespace

QFont BandFont(TBandFont font) {
  QFont f;
  // Arial where it is installed, else its metric twin, so the texts take
  // the room the layouts were made for.
  f.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans")});
  f.setStyleHint(QFont::SansSerif);
  f.setHintingPreference(QFont::PreferNoHinting);
  switch (font) {
    case TBandFont::Caption:
      f.setPixelSize(13);
      f.setBold(true);
      break;
    case TBandFont::Value:
      f.setPixelSize(13);
      break;
    case TBandFont::Cell:
      f.setPixelSize(11);
      break;
    case TBandFont::CellCaption:
      f.setPixelSize(11);
      f.setBold(true);
      break;
    case TBandFont::Organisation:
      f.setPixelSize(16);
      f.setBold(true);
      break;
  }
  return f;
}

// ---- Bands --------------------------------------------------------------------------------

TBandItem& TBand::Text(double x, double y, double w, double h, TBandFont font, const QString& text,
                       int align) {
  TBandItem& item = Items.emplace_back();
  item.Kind = TBandItemKind::Text;
  item.Mm = QRectF(x, y, w, h);
  item.Font = font;
  item.Text = text;
  item.Align = align;
  return item;
}

TBandItem& TBand::Memo(double x, double y, double w, double h, TBandFont font, const QString& text,
                       int align) {
  TBandItem& item = Text(x, y, w, h, font, text, align);
  item.Kind = TBandItemKind::Memo;
  return item;
}

TBandItem& TBand::Rule(double x1, double y1, double x2, double y2) {
  TBandItem& item = Items.emplace_back();
  item.Kind = TBandItemKind::Rule;
  item.Mm = QRectF(QPointF(x1, y1), QPointF(x2, y2));
  return item;
}

TBandItem& TBand::Picture(double x, double y, double w, double h) {
  TBandItem& item = Items.emplace_back();
  item.Kind = TBandItemKind::Picture;
  item.Mm = QRectF(x, y, w, h);
  return item;
}

// ---- The printer --------------------------------------------------------------------------

TBandPrinter::TBandPrinter(QPagedPaintDevice& device) : Device(device) {}

TBandPrinter::~TBandPrinter() {
  if (Painter != nullptr && Painter->isActive()) {
    Painter->end();
  }
  delete Painter;
}

bool TBandPrinter::Begin() {
  Device.setPageLayout(
      QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                  QMarginsF(kPageMarginMm, kPageMarginMm, kPageMarginMm, kPageMarginMm),
                  QPageLayout::Millimeter));
  Painter = new QPainter;
  if (!Painter->begin(&Device)) {
    return false;
  }
  Pages = 0;
  return true;
}

void TBandPrinter::Print(TBandLayout& layout) {
  if (Painter == nullptr || !Painter->isActive()) {
    return;
  }
  if (layout.Start) {
    layout.Start();
  }
  const auto open = [this, &layout] {
    NewPage(layout);
    if (layout.Title != nullptr) {
      Place(*layout.Title, layout);
    }
    if (layout.ColumnHeader != nullptr) {
      Place(*layout.ColumnHeader, layout);
    }
  };
  // A layout that follows another opens its page with its first row, so a
  // layout without rows adds no empty page to a document.
  bool waiting = layout.PageOnFirstData && Pages > 0;
  if (!waiting) {
    open();
  }
  if (layout.Detail != nullptr && layout.NeedData) {
    while (layout.NeedData()) {
      if (waiting) {
        open();
        waiting = false;
      }
      Place(*layout.Detail, layout);
    }
  }
  if (waiting) {
    return;
  }
  for (TBand* band : layout.Summary) {
    Place(*band, layout);
  }
}

int TBandPrinter::End() {
  if (Painter == nullptr) {
    return -1;
  }
  const bool ok = Painter->isActive() && Painter->end();
  return ok ? Pages : -1;
}

void TBandPrinter::NewPage(TBandLayout& layout) {
  if (Pages > 0) {
    Device.newPage();
  }
  ++Pages;
  // Logical units are the layout's dots, whatever the device's resolution.
  Painter->resetTransform();
  const double scale = Device.logicalDpiX() / kLayoutDpi;
  Painter->scale(scale, Device.logicalDpiY() / kLayoutDpi);
  Y = 0;
  for (TBand* band : layout.PageHeader) {
    if (!band->PrintWhen || band->PrintWhen()) {
      Draw(*band);
    }
  }
}

void TBandPrinter::Place(TBand& band, TBandLayout& layout) {
  if (band.PrintWhen && !band.PrintWhen()) {
    return;
  }
  const double pageTop = PageTop(layout);
  // A band that does not fit goes to the next page; one taller than a
  // whole page is drawn (cut off) rather than pushed on for ever.
  if (Y + band.HeightMm > kPrintableHeightMm + 1e-6 && Y > pageTop + 1e-6) {
    NewPage(layout);
    if (layout.ColumnHeader != nullptr && &band != layout.ColumnHeader) {
      Place(*layout.ColumnHeader, layout);
    }
  }
  Draw(band, Y <= PageTop(layout) + 1e-6);
}

double TBandPrinter::PageTop(const TBandLayout& layout) const {
  double top = 0;
  for (const TBand* header : layout.PageHeader) {
    top += header->HeightMm;
  }
  return top;
}

void TBandPrinter::Draw(const TBand& band, bool atPageTop) {
  QPainter& p = *Painter;
  for (const TBandItem& item : band.Items) {
    if (item.OnlyAtPageTop && !atPageTop) {
      continue;
    }
    switch (item.Kind) {
      case TBandItemKind::Rule:
        p.setPen(QPen(Qt::black, 1.0));
        p.drawLine(QPointF(Dots(item.Mm.left()), Dots(item.Mm.top() + Y)),
                   QPointF(Dots(item.Mm.right()), Dots(item.Mm.bottom() + Y)));
        break;
      case TBandItemKind::Picture:
        if (!item.Picture.isNull()) {
          p.drawImage(DotRect(item.Mm, Y), item.Picture);
        }
        break;
      case TBandItemKind::Text:
      case TBandItemKind::Memo: {
        if (item.Text.isEmpty()) {
          break;
        }
        p.setPen(Qt::black);
        p.setFont(BandFont(item.Font));
        int flags = item.Align != 0 ? item.Align : Qt::AlignLeft | Qt::AlignTop;
        flags |= item.Kind == TBandItemKind::Memo ? Qt::TextWordWrap : Qt::TextSingleLine;
        if (!item.Clip) {
          flags |= Qt::TextDontClip;
        }
        QString text = item.Text;
        text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        const QRectF field = DotRect(item.Mm, Y);
        // Centred lines that need more than their field start at its top:
        // the first lines are the ones read.
        if ((flags & Qt::AlignVCenter) != 0 &&
            p.boundingRect(field, flags, text).height() > field.height()) {
          flags = (flags & ~Qt::AlignVertical_Mask) | Qt::AlignTop;
        }
        p.drawText(field, flags, text);
        break;
      }
    }
  }
  Y += band.HeightMm;
}

}  // namespace velt
