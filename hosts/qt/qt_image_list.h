#ifndef ZAN_HOSTS_QT_QT_IMAGE_LIST_H_
#define ZAN_HOSTS_QT_QT_IMAGE_LIST_H_

#include <QColor>
#include <QPixmap>
#include <QString>
#include <vector>

namespace zan {

// A strip of equally wide images cut from one bitmap file; the colour of the
// bitmap's top-left pixel is transparent.
class QtImageList {
 public:
  QtImageList() = default;
  // Loads the strip; false (and an empty list) when the file cannot be read.
  bool Load(const QString& file, int image_width);
  // A single bitmap as one image.
  bool LoadSingle(const QString& file);

  int Count() const { return static_cast<int>(images_.size()); }
  bool Empty() const { return images_.empty(); }
  const QPixmap* Image(int index) const;
  // The image as a flat silhouette in one colour.
  QPixmap Silhouette(int index, const QColor& color) const;
  // The image in grey, for disabled buttons; made once per image and kept,
  // since toolbars ask for it at every paint.
  QPixmap Disabled(int index) const;

 private:
  std::vector<QPixmap> images_;
  // Grey forms made so far, by image index; null where not yet asked for.
  mutable std::vector<QPixmap> disabled_;
};

}  // namespace zan

#endif  // ZAN_HOSTS_QT_QT_IMAGE_LIST_H_
