#include "XMLEditRows.h"

#include "FloatFormat.h"
#include "SharedRoutinesCommon.h"

#include <algorithm>
#include <cstdio>
#include <span>

namespace pem {

namespace {

std::string Indent(int level) { return std::string(static_cast<size_t>(std::max(0, level)) * 3, ' '); }

std::string RowName(const char* prefix, const std::string& tag, size_t row) {
    char num[16];
    std::snprintf(num, sizeof num, "%4.4d", static_cast<int>(row));
    return std::string(prefix) + tag + "_" + num;
}

// Made only of "." and digits (the empty text too): a number's width.
bool NumberShaped(const std::string& s) { return StrAllInSet(s, csDigits + TCharSet{'.'}); }

// A fixed text with 15 digits and 8 decimals, without blanks and zeros at
// either end.
std::string StrippedFloat(double v) {
    std::string s = TrimCharSet(FloatToStrFixed(v, 15, 8), TCharSet{' ', '0'});
    return s;
}

} // namespace

TXMLEditKind ValueEditKind(const std::string& value) {
    if (IsAllDigits(value) && !value.empty()) {
        int n = 0;
        return TryStrToIntValue(value, n) ? TXMLEditKind::Integer : TXMLEditKind::Text;
    }
    if (CountChar(value, '.') == 1 && value.size() > 1 && NumberShaped(value)) return TXMLEditKind::Float;
    return TXMLEditKind::Text;
}

std::string NodeLabelName(const TMyXMLNode& node) { return CapitalizeWords(ReplaceChar('_', ' ', node.Name())); }

std::string OpenedFloatText(double v) {
    std::string s = StrippedFloat(v);
    if (!s.empty() && s.front() == '.') s.insert(0, "0");
    if (!s.empty() && s.back() == '.') s += "0";
    return s;
}

std::string StoredFloatText(double v) {
    std::string s = StrippedFloat(v);
    if (s == ".") s = "0.";
    if (!s.empty() && s.back() == '.') s += "0";
    return s;
}

bool HeadingCollapsed(const std::string& label) {
    const std::string_view t = TrimCharSetView(label, TCharSet{' '});
    return !t.empty() && t.front() == '+';
}

std::string ToggledHeading(const std::string& label) {
    std::string s = label;
    const size_t at = s.find_first_of("+-");
    if (at != std::string::npos) s[at] = s[at] == '+' ? '-' : '+';
    return s;
}

TXMLEditRows BuildXMLEditRows(const TMyXMLNodeList& doc) {
    TXMLEditRows out;
    auto& rows = out.Rows;
    out.FirstRow.assign(static_cast<size_t>(doc.Count()), -1);
    rows.reserve(static_cast<size_t>(doc.Count()) + static_cast<size_t>(doc.Count()) / 4);
    for (int i = 0; i < doc.Count(); ++i) {
        const TMyXMLNode& node = *doc[i];
        const std::string indent = Indent(node.Level);
        const std::string name = NodeLabelName(node);
        out.FirstRow[static_cast<size_t>(i)] = static_cast<int>(rows.size());
        auto add = [&](TXMLEditKind kind, std::string label, std::string text, std::string attribute = "") {
            TXMLEditRow r;
            r.Node = i;
            r.Kind = kind;
            r.Label = std::move(label);
            r.Text = std::move(text);
            r.Attribute = std::move(attribute);
            r.LabelName = RowName("Label_", node.TagName, rows.size());
            if (kind != TXMLEditKind::None) {
                r.EditName = RowName("Edit_", node.TagName, rows.size());
                r.Wide = !NumberShaped(r.Text);
            }
            rows.push_back(std::move(r));
        };
        if (node.HasAttributes) {
            add(TXMLEditKind::None, indent + name + ":  ", "");
            if (auto values = node.AttributeValues()) {
                for (const auto& item : *values) {
                    const std::string attr = StrBeforeFirst(item.s, "=");
                    add(TXMLEditKind::Param, indent + attr + " =", node.GetAttribute(attr), attr);
                }
            }
        } else if (node.Folded) {
            const TXMLEditKind kind = ValueEditKind(node.Value);
            std::string text = node.Value;
            if (kind == TXMLEditKind::Integer) text = std::to_string(node.AsInteger());
            else if (kind == TXMLEditKind::Float) text = OpenedFloatText(node.AsFloat());
            add(kind, indent + name, text);
        } else {
            add(TXMLEditKind::None, indent + name, "");
        }
    }
    // Rows without edit become headings: a structure whose next node holds
    // no text either, or a group (every element with attributes among them).
    for (auto& r : rows) {
        if (r.Kind != TXMLEditKind::None) continue;
        const TMyXMLNode& node = *doc[r.Node];
        const bool structure = r.Node + 1 < doc.Count() && doc[r.Node + 1]->Text().empty() && !node.HasAttributes;
        if (structure) {
            r.Heading = TXMLHeading::Structure;
            r.Label = Indent(node.Level) + "<" + node.Name() + ">";
        } else {
            r.Heading = TXMLHeading::Group;
            r.Label = Indent(node.Level) + "+--- " + TrimLeftCharSet(r.Label, TCharSet{' '});
        }
    }
    return out;
}

void MarkReadOnlyRows(TXMLEditRows& rows, const TMyXMLNodeList& doc, const std::string& readOnlyListText) {
    if (doc.Count() == 0 || TrimCharSetView(readOnlyListText, csControlAndBlank).empty()) return;
    auto list = TMyXMLNodeList::CreateFromText(readOnlyListText);
    list->SetUpperCaseMode(true);
    if (list->Count() == 0) return;
    TMyXMLNode* root = (*list)[0];
    int block = -1;
    if (root->FindChild(AsciiUpperCase(doc[0]->Name())) || root->FindChild("READONLY")) block = list->CursorIndex;
    if (block < 0) return;
    const int blockLevel = list->NodeLevel(block);
    // Whether an element of that tag name below the block has attribute = "Y".
    auto marked = [&](const std::string& tag, const std::string& attribute) {
        const std::string upperTag = AsciiUpperCase(tag);
        for (int j = block + 1; j < list->Count() && list->NodeLevel(j) > blockLevel; ++j) {
            const TMyXMLNode* n = (*list)[j];
            if (n->TagName == upperTag && n->GetAttribute(attribute) == "Y") return true;
        }
        return false;
    };
    for (auto& r : rows.Rows) {
        if (r.Kind == TXMLEditKind::None) continue;
        const TMyXMLNode& node = *doc[r.Node];
        const std::string attribute = r.Kind == TXMLEditKind::Param ? r.Attribute : std::string("TagReadOnly");
        r.ReadOnly = marked(node.TagName, attribute);
    }
}

TXMLEditLayout PlanXMLEditLayout(const std::vector<TXMLEditRow>& rows, const std::vector<int>& labelWidths,
                                 const std::vector<int>& editWidths, const TXMLEditMetrics& m, int clientHeight) {
    TXMLEditLayout out;
    out.Places.resize(rows.size());
    const int perColumn = m.RowHeight > 0 ? std::max(1, (clientHeight - m.Top) / m.RowHeight) : 3;
    const int rowHeight = std::max(1, m.RowHeight);

    // Which rows show, and the columns they fall into: the shown rows in
    // order, and where each column starts among them.
    std::vector<size_t> shown;
    std::vector<size_t> starts{0};
    shown.reserve(rows.size());
    bool hidden = false;
    int used = 0;
    for (size_t r = 0; r < rows.size(); ++r) {
        const bool heading = rows[r].Kind == TXMLEditKind::None;
        if (heading) hidden = HeadingCollapsed(rows[r].Label);
        else if (hidden) continue;
        const bool openedGroup = heading && rows[r].Heading == TXMLHeading::Group && !hidden;
        if (used > 0 && (used >= perColumn || (openedGroup && perColumn - used < 2))) {
            starts.push_back(shown.size());
            used = 0;
        }
        shown.push_back(r);
        ++used;
        out.Places[r].Visible = true;
    }
    starts.push_back(shown.size());
    out.Spans.reserve(starts.size());

    int x = m.Left;
    for (size_t c = 0; c + 1 < starts.size(); ++c) {
        if (starts[c] == starts[c + 1]) continue;
        const std::span<const size_t> col(shown.data() + starts[c], starts[c + 1] - starts[c]);
        int widestLabel = 0, widestEdit = 0, widestHeading = 0;
        for (size_t r : col) {
            if (rows[r].Kind == TXMLEditKind::None) {
                widestHeading = std::max(widestHeading, labelWidths[r]);
            } else {
                widestLabel = std::max(widestLabel, labelWidths[r]);
                widestEdit = std::max(widestEdit, editWidths[r]);
            }
        }
        const int editLeft = x + m.Indent + widestLabel + m.LabelGap;
        int y = m.Top;
        for (size_t r : col) {
            TXMLRowPlace& p = out.Places[r];
            p.LabelTop = y + m.LabelToEdit;
            p.EditTop = y;
            if (rows[r].Kind == TXMLEditKind::None) {
                p.LabelLeft = x;
            } else {
                p.LabelLeft = x + m.Indent;
                p.EditLeft = editLeft;
            }
            y += rowHeight;
        }
        const int width = std::max(widestHeading, widestEdit > 0 || widestLabel > 0
                                                      ? m.Indent + widestLabel + m.LabelGap + widestEdit
                                                      : 0);
        out.Width = x + width + m.Left;
        out.Spans.push_back({x, x + width, static_cast<int>(col.front()), static_cast<int>(col.back()) + 1});
        x += width + m.ColumnGap;
        ++out.Columns;
    }
    return out;
}

} // namespace pem
