#pragma once
// Picture views: a picture from the document, a data field or a file.

#include "platform/canvas.h"
#include "report/model/picture.h"
#include "report/model/view.h"

namespace valmoro::report {

class TfrxPictureView : public TfrxView {
  Q_OBJECT
  Q_PROPERTY(int Cursor READ Cursor WRITE SetCursor)
  Q_PROPERTY(bool AutoSize READ AutoSize WRITE SetAutoSize)
  Q_PROPERTY(bool Center READ Center WRITE SetCenter)
  Q_PROPERTY(QString DataField READ DataField WRITE SetDataField)
  Q_PROPERTY(valmoro::report::TfrxDataSet* DataSet READ DataSet WRITE SetDataSet)
  Q_PROPERTY(QString DataSetName READ DataSetName WRITE SetDataSetName)
  Q_PROPERTY(valmoro::report::TfrxFrame* Frame READ Frame WRITE SetFrame)
  Q_PROPERTY(QString FileLink READ FileLink WRITE SetFileLink)
  Q_PROPERTY(int ImageIndex READ ImageIndex WRITE SetImageIndex)
  Q_PROPERTY(bool KeepAspectRatio READ KeepAspectRatio WRITE SetKeepAspectRatio)
  Q_PROPERTY(valmoro::report::ReportPicture* Picture READ Picture WRITE SetPicture)
  Q_PROPERTY(bool Stretched READ Stretched WRITE SetStretched)
  Q_PROPERTY(QString TagStr READ TagStr WRITE SetTagStr)
  Q_PROPERTY(QString URL READ URL WRITE SetURL)
  Q_PROPERTY(bool HightQuality READ HightQuality WRITE SetHightQuality)
  Q_PROPERTY(bool Transparent READ Transparent WRITE SetTransparent)
  Q_PROPERTY(valmoro::report::TColor TransparentColor READ TransparentColor WRITE SetTransparentColor)
  Q_CLASSINFO("default:AutoSize", "false")
  Q_CLASSINFO("default:Center", "false")
  // -1: no image list entry; stored only when one is chosen.
  Q_CLASSINFO("default:ImageIndex", "-1")
  Q_CLASSINFO("default:KeepAspectRatio", "true")
  Q_CLASSINFO("stored:Picture", "IsPictureStored")
  Q_CLASSINFO("default:Stretched", "true")
  Q_CLASSINFO("default:HightQuality", "false")
  Q_CLASSINFO("default:Transparent", "false")
  Q_CLASSINFO("default:TransparentColor", "0xFFFFFF")

public:
  explicit TfrxPictureView(TfrxComponent* parent = nullptr);

  // The view takes the picture's size.
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool value) { autoSize_ = value; }
  bool Center() const { return center_; }
  void SetCenter(bool value) { center_ = value; }
  // An expression or file name the picture is loaded from before output.
  QString FileLink() const { return fileLink_; }
  void SetFileLink(const QString& value) { fileLink_ = value; }
  int ImageIndex() const { return imageIndex_; }
  void SetImageIndex(int value) { imageIndex_ = value; }
  bool KeepAspectRatio() const { return keepAspectRatio_; }
  void SetKeepAspectRatio(bool value) { keepAspectRatio_ = value; }
  ReportPicture* Picture() const { return picture_; }
  void SetPicture(const ReportPicture* picture);
  // Scaled to the bounds.
  bool Stretched() const { return stretched_; }
  void SetStretched(bool value) { stretched_ = value; }
  // Smooth scaling in the preview.
  bool HightQuality() const { return hightQuality_; }
  void SetHightQuality(bool value) { hightQuality_ = value; }
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool value) { transparent_ = value; }
  TColor TransparentColor() const { return transparentColor_; }
  void SetTransparentColor(TColor value) { transparentColor_ = value; }

  // Prepared pages keep pictures in a cache of their own and suppress them
  // in the object's attributes.
  void SetPictureSuppressed(bool value) { pictureSuppressed_ = value; }
  Q_INVOKABLE bool IsPictureStored() const { return !pictureSuppressed_; }

  // Background, the picture (stretched, centred or clipped to the box),
  // then the frame; an empty picture shows a symbol in the designer.
  void Paint(gfx::Canvas& canvas, const PaintContext& context) override;

private:
  // On paper one-bit pictures keep their hard edges.
  void DrawGraphic(const gfx::Rect& target, bool onPaper);

  bool autoSize_ = false;
  bool center_ = false;
  QString fileLink_;
  int imageIndex_ = -1;
  bool keepAspectRatio_ = true;
  ReportPicture* picture_;
  bool stretched_ = true;
  bool hightQuality_ = false;
  bool transparent_ = false;
  TColor transparentColor_ = clWhite;
  bool pictureSuppressed_ = false;
};

}  // namespace valmoro::report
