#include "app/skin.h"

#include <QColor>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <dlfcn.h>

#include <array>
#include <cstddef>

// Outside any namespace, as the resource initialiser is declared there.
static void InitialiseAppResources() { Q_INIT_RESOURCE(app); }

namespace app {

extern const unsigned char SkinLibraryBytes[];
extern const std::size_t SkinLibraryBytesSize;

namespace {

constexpr int BaseSkin = 13;

void InitialiseResources() {
  // The resources live in a static library; nothing else pulls them in.
  static const bool done = [] {
    InitialiseAppResources();
    return true;
  }();
  (void)done;
}

QByteArray BaseSkinSheet() {
  InitialiseResources();
  QFile file(QStringLiteral(":/skins/base.qss"));
  if (!file.open(QIODevice::ReadOnly)) return {};
  return file.readAll();
}

// The other skins turn every colour of the base skin round the colour wheel
// by their distance from it; greys stay grey.
QByteArray ShiftHues(const QByteArray& sheet, int degrees) {
  QString text = QString::fromUtf8(sheet);
  static const QRegularExpression colour(QStringLiteral("#[0-9a-fA-F]{6}\\b"));
  QString shifted;
  qsizetype last = 0;
  for (auto it = colour.globalMatch(text); it.hasNext();) {
    const QRegularExpressionMatch match = it.next();
    shifted += QStringView(text).mid(last, match.capturedStart() - last);
    QColor value = QColor::fromString(match.captured());
    const QColor hsv = value.toHsv();
    if (hsv.hsvHue() >= 0) value = QColor::fromHsv((hsv.hsvHue() + degrees) % 360, hsv.hsvSaturation(), hsv.value());
    shifted += value.name();
    last = match.capturedEnd();
  }
  shifted += QStringView(text).mid(last);
  return shifted.toUtf8();
}

QString LibraryPath(const QString& programDirectory) {
  return programDirectory + QLatin1Char('/') + QLatin1String(SkinLibraryFileName);
}

using AttachRes = int (*)(const unsigned char*, int, const char*, int, int, int);

} // namespace

QByteArray SkinData(int n) {
  if (n < 1 || n > SkinCount) return {};
  static const std::array<QByteArray, SkinCount> table = [] {
    std::array<QByteArray, SkinCount> skins;
    const QByteArray base = BaseSkinSheet();
    for (int i = 1; i <= SkinCount; ++i) {
      const int degrees = ((i - BaseSkin) * 360 / SkinCount + 360) % 360;
      skins[static_cast<std::size_t>(i - 1)] = i == BaseSkin ? base : ShiftHues(base, degrees);
    }
    return skins;
  }();
  return table[static_cast<std::size_t>(n - 1)];
}

QByteArray SkinLibraryFile() {
  return QByteArray::fromRawData(reinterpret_cast<const char*>(SkinLibraryBytes),
                                 static_cast<qsizetype>(SkinLibraryBytesSize));
}

void EnsureSkinLibrary(const QString& programDirectory) {
  const QString path = LibraryPath(programDirectory);
  // A dangling link counts as there too: the name is taken.
  if (QFileInfo(path).exists() || QFileInfo(path).isSymLink()) return;
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) return;
  const QByteArray bytes = SkinLibraryFile();
  const bool written = file.write(bytes) == bytes.size() && file.flush();
  file.close();
  // A half-written library would be kept for good and never load; leave the
  // name free so that the next start writes it again.
  if (!written) {
    file.remove();
    return;
  }
  // Linux has no hidden attribute: the file becomes a plain rw-r--r-- file.
  file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup |
                      QFileDevice::ReadOther);
}

void ApplySkin(int n, const QString& programDirectory) {
  EnsureSkinLibrary(programDirectory);
  // Loaded once per path and kept: the skin's code stays in use while the
  // program runs.
  void* library = dlopen(QFile::encodeName(LibraryPath(programDirectory)).constData(), RTLD_NOW | RTLD_LOCAL);
  if (!library) return;
  auto attach = reinterpret_cast<AttachRes>(dlsym(library, SkinEntryPoint));
  if (!attach) return;
  // A copy of the table's block, released when the call returns.
  const QByteArray block = SkinData(n);
  const QByteArray copy(block.constData(), block.size());
  attach(copy.isEmpty() ? nullptr : reinterpret_cast<const unsigned char*>(copy.constData()),
         static_cast<int>(copy.size()), "", 0, 0, 0);
}

} // namespace app
