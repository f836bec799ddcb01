#pragma once
// A data object over the MIME data of one Qt drag event (or of the
// clipboard): what the event carries is offered as clipboard formats, each
// rendered once when first asked for. The event's proposed action is the
// "Preferred DropEffect"; a "Performed DropEffect" a target gives back
// becomes the event's drop action.
#include "OleDataObjects.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <Qt>
#include <memory>
#include <optional>

class QMimeData;
class QDropEvent;

namespace pem {

class MimeDataObject : public TBytesDataObject {
public:
    // Over a drag event's data; the event gives the proposed action.
    MimeDataObject(const QMimeData* mime, Qt::DropAction proposed);
    // Over a copy of the data (the clipboard's, which may change under it).
    explicit MimeDataObject(std::unique_ptr<QMimeData> owned);

    const QMimeData* Mime() const { return mime_; }
    // The effect a target reported back ("Performed DropEffect"), if any.
    std::optional<DWORD> PerformedEffect() const { return performed_; }
    // Formats given back by targets ("Paste Succeeded" and any other).
    const TStaticDataObject& Given() const { return *given_; }

protected:
    std::vector<FORMATETC> Offers() const override;
    // Renders an offer anew (a big text is asked for once; keeping a copy
    // would only double it).
    bool Render(CLIPFORMAT id, std::vector<uint8_t>& out) override;
    void Take(CLIPFORMAT id, std::vector<uint8_t>&& bytes) override;

private:
    struct Offer {
        CLIPFORMAT id;
        QString mimeType; // where the bytes come from
        int kind;         // how they are rendered
    };
    void BuildOffers();
    const Offer* Find(CLIPFORMAT id) const;
    // Every local file of the uri-list, parsed on first need only.
    const QStringList& LocalFiles();

    std::unique_ptr<QMimeData> owned_;
    const QMimeData* mime_;
    std::optional<Qt::DropAction> proposed_;
    std::vector<Offer> offers_;
    std::optional<DWORD> performed_;
    ComPtr<TStaticDataObject> given_;
    // The file list: its bytes as the drag gave them, the first local file
    // (found without reading further), and all of them once parsed.
    QByteArray uriList_;
    QString firstFile_;
    std::optional<QStringList> localFiles_;
};

// A deep copy of MIME data.
std::unique_ptr<QMimeData> CopyMimeData(const QMimeData* source);

} // namespace pem
