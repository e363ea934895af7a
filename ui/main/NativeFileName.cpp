#include "NativeFileName.h"

#include <sys/stat.h>

namespace {

constexpr char16_t kEscape = 0xDC00;

// The length of the valid UTF-8 sequence starting at i and its code point, or 0.
int Sequence(const QByteArray& bytes, qsizetype i, char32_t& point) {
    const auto byte = [&](qsizetype k) { return static_cast<unsigned char>(bytes[k]); };
    const unsigned char lead = byte(i);
    int length;
    char32_t minimum;
    if (lead < 0x80) {
        point = lead;
        return 1;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2, minimum = 0x80, point = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, minimum = 0x800, point = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, minimum = 0x10000, point = lead & 0x07;
    } else {
        return 0;
    }
    if (i + length > bytes.size()) return 0;
    for (int k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) return 0;
        point = (point << 6) | (byte(i + k) & 0x3F);
    }
    // Overlong forms, surrogates and points past Unicode are not valid UTF-8.
    if (point < minimum || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF)) return 0;
    return length;
}

} // namespace

QString NativeFileName::Decode(const QByteArray& name) {
    QString text;
    text.reserve(name.size());
    for (qsizetype i = 0; i < name.size();) {
        char32_t point = 0;
        const int length = Sequence(name, i, point);
        if (length == 0) {
            text += QChar(static_cast<char16_t>(kEscape + static_cast<unsigned char>(name[i])));
            ++i;
            continue;
        }
        text += QString::fromUcs4(&point, 1);
        i += length;
    }
    return text;
}

QByteArray NativeFileName::Encode(const QString& name) {
    QByteArray bytes;
    bytes.reserve(name.size());
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t unit = name[i].unicode();
        const bool pair = QChar::isHighSurrogate(unit) && i + 1 < name.size() &&
                          QChar::isLowSurrogate(name[i + 1].unicode());
        if (pair) {
            bytes += name.mid(i, 2).toUtf8();
            ++i;
        } else if (unit >= kEscape + 0x80 && unit <= kEscape + 0xFF) {
            bytes += static_cast<char>(unit - kEscape);
        } else {
            bytes += QString(QChar(unit)).toUtf8();
        }
    }
    return bytes;
}

std::string NativeFileName::EncodeToStd(const QString& name) {
    return Encode(name).toStdString();
}

bool NativeFileName::Exists(const QString& name) {
    struct stat info {};
    return ::stat(Encode(name).constData(), &info) == 0;
}

bool NativeFileName::IsDirectory(const QString& name) {
    struct stat info {};
    return ::stat(Encode(name).constData(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool NativeFileName::HasLoanExtension(const QString& name) {
    return name.right(3).toLower() == QLatin1String("loa");
}

bool NativeFileName::IsLoanFileToOpen(const QString& name) {
    struct stat info {};
    return HasLoanExtension(name) && ::stat(Encode(name).constData(), &info) == 0 &&
           !S_ISDIR(info.st_mode);
}
