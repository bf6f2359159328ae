#pragma once

#include <QByteArray>
#include <QString>

namespace app {

inline constexpr int SkinCount = 33;
inline constexpr const char* SkinLibraryFileName = "SkinH_EL.dll";
inline constexpr const char* SkinEntryPoint = "SkinH_AttachRes";

// Skin n of the skin table (1..33): a style sheet in UTF-8. Any other n has
// no data (a null array).
QByteArray SkinData(int n);

// The skin library the program carries.
QByteArray SkinLibraryFile();

// Writes the skin library into the folder when no file of its name is there.
// A file that is there, whatever it holds, is left as it is.
void EnsureSkinLibrary(const QString& programDirectory);

// Makes sure the library is there, loads it by file name and attaches skin n.
// Every failure (no write access, no loadable library, no entry point) is
// silent; the window then keeps the platform's own look.
void ApplySkin(int n, const QString& programDirectory);

} // namespace app
