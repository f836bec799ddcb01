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
#include <QList>
#include <QString>
#include <QUrl>
#include <Qt>
#include <string>
#include <vector>

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

// A DROPFILES block (wide names) of the local files among the URLs.
std::vector<uint8_t> DropFilesBlock(const QList<QUrl>& urls);
// The file URLs of a DROPFILES block; none when the block is malformed
// (the name list must start at 20 or later, inside the block).
QList<QUrl> UrlsOfDropFiles(const std::vector<uint8_t>& block);

// Text bytes up to (not including) the first NUL.
QByteArray UpToNul(const std::vector<uint8_t>& bytes);
// UTF-16 bytes (little-endian) up to the first NUL character; an odd last
// byte is ignored.
QString WideUpToNul(const std::vector<uint8_t>& bytes);

} // namespace pem
