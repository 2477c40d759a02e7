#pragma once

#include <QString>

// Text operations on paths, shared by the batch run and every way of filling the file list.
// They work on text only; FolderExists alone asks the file system.
namespace Main {

// Windows paths use "\" and a leading "\\" starts a network path; POSIX paths use "/".
enum class PathStyle { Windows, Posix };

#ifdef Q_OS_WIN
inline constexpr PathStyle NativePathStyle = PathStyle::Windows;
#else
inline constexpr PathStyle NativePathStyle = PathStyle::Posix;
#endif

// The separator of the style: "\" or "/".
QChar pathSeparator(PathStyle style = NativePathStyle);

// Text after the last separator; the whole text when there is none.
QString GetFileNameFromPath(const QString &path, PathStyle style = NativePathStyle);

// Text up to and including the last separator; empty when there is none.
QString GetFolderFromPath(const QString &path, PathStyle style = NativePathStyle);

// Text before the last dot, unless the text has no dot or its only dot comes first.
QString RemoveExtension(const QString &name);

// True when the path names an existing folder; never fails.
bool FolderExists(const QString &path);

// Doubled separators made single; a leading run of separators becomes the network prefix
// "\\" in Windows style and a single "/" in POSIX style.
QString CleanDoubleBackslashes(const QString &path, PathStyle style = NativePathStyle);

} // namespace Main
