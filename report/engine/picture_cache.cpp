// The picture cache of the prepared pages: each picture once, in memory
// buffers or in temporary files, addressed by ImageIndex (entry + 1).

#include <QCryptographicHash>
#include <QDir>
#include <QTemporaryFile>

#include "platform/file_errors.h"
#include "report/engine/preview_pages.h"
#include "report/model/picture.h"
#include "report/model/picture_view.h"
#include "report/model/report_error.h"
#include "report/model/report_xml.h"
#include "report/model/serializer.h"

namespace valmoro::report {

struct TfrxPictureCache::Segment {
  QByteArray memory;
  std::unique_ptr<QTemporaryFile> file;
  qint64 size = 0;
};

namespace {

// The picture as a file whose kind its first bytes tell: what the picture
// loader reads back. A metafile's bytes carry their size in front.
QByteArray pictureFile(const ReportPicture& picture) {
  const QByteArray& data = picture.Data();
  if (picture.GraphicClass() == QLatin1String("TMetafile") && data.size() >= 4) return data.mid(4);
  return data;
}

QByteArray contentHash(const QByteArray& bytes) { return QCryptographicHash::hash(bytes, QCryptographicHash::Sha1); }

bool isHexDigit(QChar c) {
  const char16_t u = c.unicode();
  return (u >= '0' && u <= '9') || (u >= 'a' && u <= 'f') || (u >= 'A' && u <= 'F');
}

}  // namespace

TfrxPictureCache::TfrxPictureCache() = default;
TfrxPictureCache::~TfrxPictureCache() { Clear(); }

void TfrxPictureCache::Clear() {
  segments_.clear();  // temporary files remove themselves
  entries_.clear();
  byHash_.clear();
  lastStored_.clear();
}

void TfrxPictureCache::SetCacheInFile(bool value) {
  if (entries_.empty() && segments_.empty()) inFile_ = value;
}

void TfrxPictureCache::SetTempDir(const QString& folder) {
  if (entries_.empty() && segments_.empty()) tempDir_ = folder;
}

TfrxPictureCache::Segment& TfrxPictureCache::segmentFor(qint64 bytes) {
  (void)bytes;
  if (segments_.empty() || segments_.back()->size > segmentLimit_) {
    auto segment = std::make_unique<Segment>();
    if (inFile_) {
      const QString folder = tempDir_.isEmpty() ? QDir::tempPath() : tempDir_;
      segment->file = std::make_unique<QTemporaryFile>(QDir(folder).filePath(QStringLiteral("frPic")));
      if (!segment->file->open())
        throw ReportError(QStringLiteral("Nie można utworzyć pliku tymczasowego obrazów w folderze %1: %2")
                              .arg(QDir::toNativeSeparators(folder), files::ioErrorText(*segment->file)));
    }
    segments_.push_back(std::move(segment));
  }
  return *segments_.back();
}

int TfrxPictureCache::AddEntry(const QByteArray& bytes) {
  Segment& segment = segmentFor(bytes.size());
  const qint64 offset = segment.size;
  if (segment.file) {
    segment.file->seek(offset);
    if (segment.file->write(bytes) != bytes.size() || !segment.file->flush()) {
      const QString message = files::ioErrorText(*segment.file);
      segment.file->resize(offset);
      throw ReportError(QStringLiteral("Nie można zapisać obrazu w pliku tymczasowym %1: %2.")
                            .arg(QDir::toNativeSeparators(segment.file->fileName()), message));
    }
  } else {
    segment.memory.append(bytes);
  }
  segment.size += bytes.size();
  entries_.push_back({int(segments_.size()) - 1, offset, bytes.size()});
  const int index = int(entries_.size());
  byHash_.insert(contentHash(bytes), index);
  return index;
}

QByteArray TfrxPictureCache::EntryBytes(int index) const {
  if (index < 0 || index >= Count()) return {};
  const Entry& entry = entries_[size_t(index)];
  const Segment& segment = *segments_[size_t(entry.segment)];
  if (!segment.file) return segment.memory.mid(entry.offset, entry.size);
  segment.file->seek(entry.offset);
  return segment.file->read(entry.size);
}

void TfrxPictureCache::AddPicture(TfrxPictureView& view) {
  const ReportPicture& picture = *view.Picture();
  if (picture.IsEmpty()) {
    view.SetImageIndex(0);
    return;
  }
  const QByteArray bytes = pictureFile(picture);
  // Unchanged since this view last stored it: the same entry.
  if (auto it = lastStored_.constFind(&view); it != lastStored_.constEnd() && it->first == bytes) {
    view.SetImageIndex(it->second);
    return;
  }
  int index = 0;
  const QByteArray hash = contentHash(bytes);
  for (auto it = byHash_.constFind(hash); it != byHash_.constEnd() && it.key() == hash; ++it)
    if (EntryBytes(it.value() - 1) == bytes) {
      index = it.value();
      break;
    }
  if (index == 0) index = AddEntry(bytes);
  lastStored_.insert(&view, {bytes, index});
  view.SetImageIndex(index);
}

void TfrxPictureCache::GetPicture(TfrxPictureView& view) const {
  const int index = view.ImageIndex();
  ReportPicture& picture = *view.Picture();
  if (index < 1 || index > Count()) {
    picture.Clear();
    return;
  }
  if (!picture.LoadFromData(EntryBytes(index - 1))) picture.Clear();
}

void TfrxPictureCache::SaveToXML(TfrxXMLItem& item) const {
  for (int i = 0; i < Count(); ++i) {
    TfrxXMLItem* entry = item.Add(QStringLiteral("item"));
    entry->Text = QStringLiteral(" stream=\"") + frxBytesToHex(EntryBytes(i)) + QLatin1Char('"');
  }
}

void TfrxPictureCache::LoadFromXML(const TfrxXMLItem& item) {
  for (int i = 0; i < item.Count(); ++i) {
    const TfrxXMLItem* entry = item.Items(i);
    if (entry->Name.compare(QLatin1String("item"), Qt::CaseInsensitive) != 0) continue;
    const QString hex = entry->Prop(QStringLiteral("stream"));
    bool valid = hex.size() % 2 == 0;
    for (qsizetype k = 0; valid && k < hex.size(); ++k) valid = isHexDigit(hex[k]);
    if (!valid)
      throw ReportError(
          QStringLiteral("Uszkodzony plik raportu: błędne dane obrazu nr %1 (oczekiwano parzystej liczby cyfr "
                         "szesnastkowych).")
              .arg(Count() + 1));
    AddEntry(frxHexToBytes(hex));
  }
}

}  // namespace valmoro::report
