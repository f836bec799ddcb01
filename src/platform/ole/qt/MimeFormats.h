#pragma once
// How clipboard formats cross to and from Qt's MIME types. File lists are
// "text/uri-list"; the two text formats are UTF-8 "text/plain" (8-bit text
// through Windows-1252); "Rich Text Format" is "text/rtf" and "CSV"
// "text/csv"; the preferred and performed drop effects are the drag's
// proposed and drop actions; any other name travels as
// application/x-qt-windows-mime;value="NAME", and any other MIME type
// arrives raw, named by the type.
#include "OleTypes.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <Qt>
#include <string>
#include <utility>
#include <vector>

class QMimeData;

namespace pem {

extern const char* const kMimeUriList;
extern const char* const kMimeText;
extern const char* const kMimeRtf;
extern const char* const kMimeCsv;

// The registered name carried by a MIME type of the windows-mime form, or
// empty when the type is not of that form.
QString WindowsMimeName(const QString& mimeType);
QString WindowsMimeType(const std::string& formatName);

// The MIME type a registered format name travels under: a name that is a
// MIME type itself (one that arrived raw) goes back as it came.
QString MimeTypeForFormatName(const std::string& name);
// The registered name a MIME type arrives as (the windows-mime name, or the
// type itself).
std::string FormatNameForMimeType(const QString& mimeType);

// Drop effects and Qt drop actions.
DWORD EffectsOfActions(Qt::DropActions actions);
Qt::DropActions ActionsOfEffects(DWORD effects);
// The action of one effect (copy before move before link, among the
// possible ones); IgnoreAction for none.
Qt::DropAction ActionOfEffect(DWORD effect, Qt::DropActions possible = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction);
DWORD EffectOfAction(Qt::DropAction action);
// The key state of a drag event's buttons and modifiers.
DWORD KeyStateOf(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers);

// File lists travel as "text/uri-list". A "file:" URL names a local file
// when its host is empty, "localhost" or this machine's name; its path is
// percent-decoded and must be UTF-8 holding no NUL. Other hosts and schemes
// are not local files; a path breaking a rule is skipped with a warning,
// never cut.
//
// The local path of one URL; false when it names none (reason, when given,
// says why a local-looking path was refused).
bool LocalFileOfUrl(QByteArrayView url, QString& path, QString* reason = nullptr);
// The local files of a uri-list in order, at most limit of them (-1: all),
// warning of each path skipped when warn is set. Each skipped path is also
// added to skipped, when given, as "reason: path".
QStringList LocalFilesOfUriList(QByteArrayView list, qsizetype limit = -1, bool warn = true,
                                std::vector<std::pair<std::string, std::string>>* skipped = nullptr);
// The uri-list MIME data carries, empty when none.
QByteArray UriListOf(const QMimeData* data);

// A DROPFILES block (wide names) of the paths; empty for none.
std::vector<uint8_t> DropFilesBlock(const QStringList& paths);
// The file URLs of a DROPFILES block; none when the block is malformed
// (the name list must start at 20 or later, inside the block).
QList<QUrl> UrlsOfDropFiles(const std::vector<uint8_t>& block);

// Text bytes up to (not including) the first NUL.
QByteArray UpToNul(const std::vector<uint8_t>& bytes);
// UTF-16 bytes (little-endian) up to the first NUL character; an odd last
// byte is ignored.
QString WideUpToNul(const std::vector<uint8_t>& bytes);

} // namespace pem
