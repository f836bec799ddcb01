#include "MimeFormats.h"

#include "CharSet1252.h"

#include <QMimeData>
#include <QStringDecoder>
#include <QSysInfo>
#include <QtEndian>
#include <cstring>

namespace pem {

const char* const kMimeUriList = "text/uri-list";
const char* const kMimeText = "text/plain";
const char* const kMimeRtf = "text/rtf";
const char* const kMimeCsv = "text/csv";

namespace {
const QString kWinPrefix = QStringLiteral("application/x-qt-windows-mime;value=\"");
} // namespace

QString WindowsMimeName(const QString& mimeType) {
    if (!mimeType.startsWith(kWinPrefix) || !mimeType.endsWith(QLatin1Char('"')) ||
        mimeType.size() <= kWinPrefix.size() + 1)
        return {};
    return mimeType.mid(kWinPrefix.size(), mimeType.size() - kWinPrefix.size() - 1);
}

QString WindowsMimeType(const std::string& formatName) {
    return kWinPrefix + QString::fromStdString(Cp1252ToUtf8(formatName)) + QLatin1Char('"');
}

namespace {
// A MIME type: type "/" subtype, no blanks, no quotes.
bool LooksLikeMimeType(const std::string& s) {
    size_t slash = s.find('/');
    if (slash == std::string::npos || slash == 0 || slash + 1 == s.size()) return false;
    for (char c : s)
        if (c == ' ' || c == '"' || static_cast<unsigned char>(c) < 32 || static_cast<unsigned char>(c) > 126)
            return false;
    return true;
}
} // namespace

QString MimeTypeForFormatName(const std::string& name) {
    if (LooksLikeMimeType(name)) return QString::fromLatin1(name.c_str());
    return WindowsMimeType(name);
}

std::string FormatNameForMimeType(const QString& mimeType) {
    QString win = WindowsMimeName(mimeType);
    return Utf8ToCp1252((win.isEmpty() ? mimeType : win).toStdString());
}

DWORD EffectsOfActions(Qt::DropActions actions) {
    DWORD e = 0;
    if (actions & Qt::CopyAction) e |= DROPEFFECT_COPY;
    if (actions & Qt::MoveAction) e |= DROPEFFECT_MOVE;
    if (actions & Qt::LinkAction) e |= DROPEFFECT_LINK;
    return e;
}

Qt::DropActions ActionsOfEffects(DWORD effects) {
    Qt::DropActions a;
    if (effects & DROPEFFECT_COPY) a |= Qt::CopyAction;
    if (effects & DROPEFFECT_MOVE) a |= Qt::MoveAction;
    if (effects & DROPEFFECT_LINK) a |= Qt::LinkAction;
    return a;
}

Qt::DropAction ActionOfEffect(DWORD effect, Qt::DropActions possible) {
    if ((effect & DROPEFFECT_COPY) && (possible & Qt::CopyAction)) return Qt::CopyAction;
    if ((effect & DROPEFFECT_MOVE) && (possible & Qt::MoveAction)) return Qt::MoveAction;
    if ((effect & DROPEFFECT_LINK) && (possible & Qt::LinkAction)) return Qt::LinkAction;
    return Qt::IgnoreAction;
}

DWORD EffectOfAction(Qt::DropAction action) {
    switch (action) {
    case Qt::CopyAction:
        return DROPEFFECT_COPY;
    case Qt::MoveAction:
    case Qt::TargetMoveAction:
        return DROPEFFECT_MOVE;
    case Qt::LinkAction:
        return DROPEFFECT_LINK;
    default:
        return DROPEFFECT_NONE;
    }
}

DWORD KeyStateOf(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers) {
    DWORD k = 0;
    if (buttons & Qt::LeftButton) k |= MK_LBUTTON;
    if (buttons & Qt::RightButton) k |= MK_RBUTTON;
    if (buttons & Qt::MiddleButton) k |= MK_MBUTTON;
    if (modifiers & Qt::ShiftModifier) k |= MK_SHIFT;
    if (modifiers & Qt::ControlModifier) k |= MK_CONTROL;
    if (modifiers & Qt::AltModifier) k |= MK_ALT;
    return k;
}

namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool IsLocalHost(QByteArrayView host) {
    if (host.isEmpty()) return true;
    const QByteArray h = host.toByteArray().toLower();
    if (h == "localhost") return true;
    static const QByteArray self = QSysInfo::machineHostName().toUtf8().toLower();
    return !self.isEmpty() && h == self;
}

QByteArrayView Trimmed(QByteArrayView s) {
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!s.isEmpty() && blank(s.front())) s = s.sliced(1);
    while (!s.isEmpty() && blank(s.back())) s.chop(1);
    return s;
}

} // namespace

bool LocalFileOfUrl(QByteArrayView url, QString& path, QString* reason) {
    path.clear();
    url = Trimmed(url);
    const qsizetype colon = url.indexOf(':');
    if (colon != 4 || url.first(4).toByteArray().toLower() != "file") return false;
    QByteArrayView rest = url.sliced(5);
    QByteArrayView host;
    if (rest.startsWith("//")) {
        rest = rest.sliced(2);
        const qsizetype slash = rest.indexOf('/');
        host = slash < 0 ? rest : rest.first(slash);
        rest = slash < 0 ? QByteArrayView() : rest.sliced(slash);
    }
    if (!IsLocalHost(host) || !rest.startsWith('/')) return false;
    // A query or fragment is not part of the path (a '#' or '?' in a name
    // arrives encoded).
    for (qsizetype i = 0; i < rest.size(); ++i)
        if (rest[i] == '?' || rest[i] == '#') {
            rest = rest.first(i);
            break;
        }
    QByteArray bytes;
    bytes.reserve(rest.size());
    bool ascii = true;
    for (qsizetype i = 0; i < rest.size(); ++i) {
        char c = rest[i];
        if (c == '%' && i + 2 < rest.size() && HexValue(rest[i + 1]) >= 0 && HexValue(rest[i + 2]) >= 0) {
            c = static_cast<char>(HexValue(rest[i + 1]) * 16 + HexValue(rest[i + 2]));
            i += 2;
        }
        if (c == '\0') {
            if (reason) *reason = QStringLiteral("its path holds a NUL");
            return false;
        }
        if (static_cast<unsigned char>(c) >= 0x80) ascii = false;
        bytes.append(c);
    }
    if (ascii) {
        path = QString::fromLatin1(bytes);
        return true;
    }
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString decoded = utf8(bytes);
    if (utf8.hasError()) {
        if (reason) *reason = QStringLiteral("its path is not UTF-8");
        return false;
    }
    path = std::move(decoded);
    return true;
}

QStringList LocalFilesOfUriList(QByteArrayView list, qsizetype limit, bool warn,
                                std::vector<std::pair<std::string, std::string>>* skipped) {
    QStringList files;
    qsizetype at = 0;
    while (at < list.size() && (limit < 0 || files.size() < limit)) {
        qsizetype end = list.indexOf('\n', at);
        if (end < 0) end = list.size();
        const QByteArrayView line = Trimmed(list.sliced(at, end - at));
        at = end + 1;
        if (line.isEmpty() || line.front() == '#') continue; // comments, as the list's format has them
        QString path, reason;
        if (LocalFileOfUrl(line, path, &reason)) {
            files << path;
        } else if (!reason.isEmpty()) {
            if (warn) qWarning("Dropped file skipped, %s: %s", qPrintable(reason), line.toByteArray().constData());
            if (skipped) skipped->emplace_back(reason.toStdString(), line.toByteArray().toStdString());
        }
    }
    return files;
}

QByteArray UriListOf(const QMimeData* data) {
    const QString type = QString::fromLatin1(kMimeUriList);
    return data && data->hasFormat(type) ? data->data(type) : QByteArray();
}

std::vector<uint8_t> DropFilesBlock(const QStringList& paths) {
    if (paths.isEmpty()) return {};
    size_t chars = 1;
    for (const QString& p : paths) chars += static_cast<size_t>(p.size()) + 1;
    std::vector<uint8_t> block(20 + 2 * chars, 0);
    block[0] = 20; // pFiles
    block[16] = 1; // fWide
    size_t at = 20;
    for (const QString& p : paths) {
        // Little-endian UTF-16, as the block's readers take it.
        qToLittleEndian<char16_t>(p.utf16(), p.size(), block.data() + at);
        at += 2 * static_cast<size_t>(p.size()) + 2;
    }
    return block;
}

QList<QUrl> UrlsOfDropFiles(const std::vector<uint8_t>& block) {
    QList<QUrl> urls;
    if (block.size() < 21) return urls;
    uint32_t pFiles = 0, fWide = 0;
    std::memcpy(&pFiles, block.data(), 4);
    std::memcpy(&fWide, block.data() + 16, 4);
    if (pFiles < 20 || pFiles >= block.size()) return urls;
    size_t at = pFiles;
    if (fWide) {
        while (at + 1 < block.size()) {
            QString name;
            while (at + 1 < block.size()) {
                char16_t c = static_cast<char16_t>(block[at] | (block[at + 1] << 8));
                at += 2;
                if (c == 0) break;
                name.append(QChar(c));
            }
            if (name.isEmpty()) break;
            urls << QUrl::fromLocalFile(name);
        }
    } else {
        while (at < block.size()) {
            std::string name;
            while (at < block.size() && block[at] != 0) name.push_back(static_cast<char>(block[at++]));
            ++at;
            if (name.empty()) break;
            urls << QUrl::fromLocalFile(QString::fromStdString(Cp1252ToUtf8(name)));
        }
    }
    return urls;
}

QByteArray UpToNul(const std::vector<uint8_t>& bytes) {
    const void* nul = std::memchr(bytes.data(), 0, bytes.size());
    size_t n = nul ? static_cast<size_t>(static_cast<const uint8_t*>(nul) - bytes.data()) : bytes.size();
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(n));
}

QString WideUpToNul(const std::vector<uint8_t>& bytes) {
    size_t chars = bytes.size() / 2;
    QString s(static_cast<qsizetype>(chars), Qt::Uninitialized);
    std::memcpy(s.data(), bytes.data(), chars * 2);
    qsizetype nul = s.indexOf(QChar(0));
    if (nul >= 0) s.truncate(nul);
    return s;
}

} // namespace pem
