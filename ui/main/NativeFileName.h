#pragma once

#include <QByteArray>
#include <QString>

#include <string>

// File names as the system holds them: bytes, usually but not always UTF-8. Qt decodes names
// that are not UTF-8 lossily, so "caf\xe9.loa" could not be opened again; here each byte that is
// not part of valid UTF-8 travels in the text as the code unit U+DC00 + byte and turns back into
// that byte, so any name the file system holds round-trips.
class NativeFileName {
  public:
    static QString Decode(const QByteArray& name);
    static QByteArray Encode(const QString& name);
    static std::string EncodeToStd(const QString& name);

    // Whether the name refers to anything, and whether to a folder (links followed).
    static bool Exists(const QString& name);
    static bool IsDirectory(const QString& name);
    // Whether the name ends in "loa" in any case (only the last three characters count).
    static bool HasLoanExtension(const QString& name);
    // What File > Open accepts before reading: a loan file's name, of something that is there
    // and is not a folder. The reader refuses whatever else is not a regular file.
    static bool IsLoanFileToOpen(const QString& name);
};
