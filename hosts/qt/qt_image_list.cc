#include "hosts/qt/qt_image_list.h"

#include <QImage>
#include <QPainter>

namespace zan {
namespace {

QPixmap Keyed(const QImage& image, QRgb key) {
  QImage argb = image.convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < argb.height(); ++y) {
    QRgb* line = reinterpret_cast<QRgb*>(argb.scanLine(y));
    for (int x = 0; x < argb.width(); ++x) {
      if ((line[x] & 0xFFFFFF) == (key & 0xFFFFFF)) line[x] = 0;
    }
  }
  return QPixmap::fromImage(argb);
}

QPixmap MakeDisabled(const QPixmap& image) {
  QImage img = image.toImage().convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < img.height(); ++y) {
    QRgb* line = reinterpret_cast<QRgb*>(img.scanLine(y));
    for (int x = 0; x < img.width(); ++x) {
      int g = qGray(line[x]);
      g = 128 + g / 2;
      line[x] = qRgba(g, g, g, qAlpha(line[x]) * 3 / 4);
    }
  }
  return QPixmap::fromImage(img);
}

}  // namespace

bool QtImageList::Load(const QString& file, int image_width) {
  images_.clear();
  disabled_.clear();
  QImage strip(file);
  if (strip.isNull() || image_width <= 0) return false;
  QRgb key = strip.pixel(0, 0);
  for (int x = 0; x + image_width <= strip.width(); x += image_width) {
    images_.push_back(
        Keyed(strip.copy(x, 0, image_width, strip.height()), key));
  }
  return !images_.empty();
}

bool QtImageList::LoadSingle(const QString& file) {
  images_.clear();
  disabled_.clear();
  QImage image(file);
  if (image.isNull()) return false;
  images_.push_back(Keyed(image, image.pixel(0, 0)));
  return true;
}

const QPixmap* QtImageList::Image(int index) const {
  if (index < 0 || index >= Count()) return nullptr;
  return &images_[static_cast<size_t>(index)];
}

QPixmap QtImageList::Silhouette(int index, const QColor& color) const {
  const QPixmap* image = Image(index);
  if (!image) return QPixmap();
  QPixmap out(image->size());
  out.fill(Qt::transparent);
  QPainter p(&out);
  p.drawPixmap(0, 0, *image);
  p.setCompositionMode(QPainter::CompositionMode_SourceIn);
  p.fillRect(out.rect(), color);
  return out;
}

QPixmap QtImageList::Disabled(int index) const {
  const QPixmap* image = Image(index);
  if (!image) return QPixmap();
  disabled_.resize(images_.size());
  QPixmap& grey = disabled_[static_cast<size_t>(index)];
  if (grey.isNull()) grey = MakeDisabled(*image);
  return grey;
}

}  // namespace zan
