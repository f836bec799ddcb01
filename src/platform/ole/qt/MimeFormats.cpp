#include "MimeFormats.h"

#include "CharSet1252.h"

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

std::vector<uint8_t> DropFilesBlock(const QList<QUrl>& urls) {
    std::vector<uint8_t> block(20, 0);
    block[0] = 20;  // pFiles
    block[16] = 1;  // fWide
    bool any = false;
    for (const QUrl& u : urls) {
        if (!u.isLocalFile()) continue;
        QString path = u.toLocalFile();
        if (path.isEmpty() || path.contains(QChar(0))) continue;
        for (QChar c : path) {
            block.push_back(static_cast<uint8_t>(c.unicode() & 0xFF));
            block.push_back(static_cast<uint8_t>(c.unicode() >> 8));
        }
        block.push_back(0);
        block.push_back(0);
        any = true;
    }
    if (!any) return {};
    block.push_back(0);
    block.push_back(0);
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
