#include "program/dialogs/runtime_dialog.h"

#include <algorithm>

#include "platform/text.h"
#include "program/core/settings/settings.h"

namespace yov {

namespace {

namespace df = dlg_flag;

constexpr int32_t kFrameWidth = 300, kFrameHeight = 405;  // the frame's border and caption line
constexpr int32_t kFrameInnerLeft = 150, kFrameInnerTop = 255;
constexpr int32_t kCheckExtra = 315, kCheckHeight = 195;
constexpr int32_t kLabelHeight = 195, kBoxHeight = 315, kTextFieldHeight = 510;
constexpr int32_t kGap = 75;

int idx(DlgControl k) { return static_cast<int>(k); }

// A record's children along NextField, each once; a child list that comes round again
// or leaves the records ends there.
std::vector<int32_t> childrenOf(const std::vector<DialogField>& f, const DialogField& group, int32_t count) {
    std::vector<int32_t> out;
    std::vector<bool> seen(f.size(), false);
    for (int32_t c = group.LinkIndex; c >= 1 && c <= count && !seen[static_cast<size_t>(c)];
         c = f[static_cast<size_t>(c)].NextField) {
        seen[static_cast<size_t>(c)] = true;
        out.push_back(c);
    }
    return out;
}

struct Builder {
    std::vector<DialogField>& f;
    int32_t count;
    const DlgMetrics& m;
    DlgBuild out;
    std::vector<bool> built;
    int32_t tab = 0;

    int32_t take(DlgControl k) { return out.next[idx(k)]++; }
    DlgControlSpec& add(DlgControl k, int32_t container, int32_t record) {
        DlgControlSpec s;
        s.kind = k;
        s.index = take(k);
        s.container = container;
        s.record = record;
        out.controls.push_back(std::move(s));
        return out.controls.back();
    }
    int32_t width(std::u16string_view t) const { return m.textWidth ? m.textWidth(t) : 0; }

    bool setup(int32_t r, int32_t container) {
        if (r < 1 || r > count) return fail(u"a record number outside the dialog's records");
        if (built[static_cast<size_t>(r)]) return fail(u"a record that is part of the tree twice");
        built[static_cast<size_t>(r)] = true;
        DialogField& rec = f[static_cast<size_t>(r)];
        rec.StretchX = rec.StretchY = 0;
        if (rec.isGroup()) return group(r, container);
        if (rec.isCheckBox() || rec.isOption()) {
            DlgControlSpec& s = add(rec.isCheckBox() ? DlgControl::Chk : DlgControl::Opt, container, r);
            s.caption = rec.FieldCaption;
            s.checked = rec.isCheckBox() && rec.FieldValue != 0;
            s.tabPosition = tab;
            rec.ControlIndex = static_cast<int16_t>(s.index);
            rec.FixedWidth = width(rec.FieldCaption) + kCheckExtra;
            rec.FixedHeight = kCheckHeight;
        } else if (rec.isButtonRow()) {
            rec.FixedWidth = 2 * m.ButtonWidth + kGap;
            rec.FixedHeight = kBoxHeight;
        } else {
            int32_t w = std::max(width(rec.FieldCaption), rec.FixedWidth);
            DlgControlSpec& label = add(DlgControl::Lab, container, r);
            label.caption = rec.FieldCaption;
            label.tabPosition = tab++;
            rec.LabelIndex = static_cast<int16_t>(label.index);
            DlgControlSpec& box = add(DlgControl::Txt, container, r);
            box.text = rec.FieldText;
            box.tabPosition = tab;
            rec.ControlIndex = static_cast<int16_t>(box.index);
            if ((rec.FieldFlags & (df::kFileBrowse | df::kFolderBrowse)) != 0) {
                DlgControlSpec& browse = add(DlgControl::CmdBrw, container, r);
                browse.tabPosition = ++tab;
                rec.LinkIndex = static_cast<int16_t>(browse.index);
                w += kGap + m.BrowseWidth;
            }
            rec.FixedWidth = w;
            rec.FixedHeight = kTextFieldHeight;
        }
        ++tab;
        return true;
    }

    bool group(int32_t r, int32_t container) {
        DialogField& rec = f[static_cast<size_t>(r)];
        int32_t inner = container;
        if (rec.isFramed()) {
            DlgControlSpec& frame = add(DlgControl::Frm, container, r);
            rec.ControlIndex = static_cast<int16_t>(frame.index);
            inner = frame.index;
            rec.FixedWidth = kFrameWidth;
            rec.FixedHeight = kFrameHeight;
        } else {
            rec.FixedWidth = rec.FixedHeight = 0;
        }
        const std::vector<int32_t> kids = childrenOf(f, rec, count);
        const bool across = (rec.FieldFlags & df::kSideBySide) != 0;
        // The frame's border counts across the children as well as along them: without it
        // every child of a framed group came out a border narrower (or lower) than it needs.
        const int32_t borderW = rec.isFramed() ? kFrameWidth : 0, borderH = rec.isFramed() ? kFrameHeight : 0;
        int32_t n = 0;
        for (size_t i = 0; i < kids.size(); ++i) {
            if (!setup(kids[i], inner)) return false;
            ++n;
            DialogField& child = f[static_cast<size_t>(kids[i])];
            if (child.isOption()) child.LinkIndex = static_cast<int16_t>(r);
            const int32_t between = i + 1 < kids.size() ? 1 : 0;
            DialogField& g = f[static_cast<size_t>(r)];
            if (across) {
                g.FixedWidth += child.FixedWidth;
                g.StretchX += child.StretchX + between;
                g.FixedHeight = std::max(g.FixedHeight, borderH + child.FixedHeight);
                g.StretchY = std::max(g.StretchY, child.StretchY);
            } else {
                g.FixedHeight += child.FixedHeight;
                g.StretchY += child.StretchY + between;
                g.FixedWidth = std::max(g.FixedWidth, borderW + child.FixedWidth);
                g.StretchX = std::max(g.StretchX, child.StretchX);
            }
        }
        DialogField& g = f[static_cast<size_t>(r)];
        g.LabelIndex = static_cast<int16_t>(n);
        if ((g.FieldFlags & df::kOptionGroup) != 0 && !kids.empty()) {
            const int32_t chosen = f[static_cast<size_t>(kids[0])].ControlIndex + g.FieldValue;
            for (DlgControlSpec& s : out.controls)
                if (s.kind == DlgControl::Opt) s.checked = s.checked || s.index == chosen;
        }
        return true;
    }

    bool fail(std::u16string why) {
        out.error = std::move(why);
        return false;
    }
};

struct Placer {
    const std::vector<DialogField>& f;
    const DlgMetrics& m;
    std::vector<DlgPlace> out;
    DlgButtons& buttons;
    std::vector<bool> placed;

    void put(DlgControl k, int32_t i, DlgRect r) { out.push_back({k, i, r}); }

    void resize(int32_t r, int32_t left, int32_t top, int32_t w, int32_t h) {
        if (r < 1 || static_cast<size_t>(r) >= f.size() || placed[static_cast<size_t>(r)]) return;
        placed[static_cast<size_t>(r)] = true;
        const DialogField& rec = f[static_cast<size_t>(r)];
        if (rec.isGroup()) {
            const int32_t unitX = (w - rec.FixedWidth) / (rec.StretchX + 2);
            const int32_t unitY = (h - rec.FixedHeight) / (rec.StretchY + 2);
            if (rec.isFramed()) {
                put(DlgControl::Frm, rec.ControlIndex, {left, top, std::max(w, 0), std::max(h, 0)});
                left = kFrameInnerLeft;
                top = kFrameInnerTop;
                w -= kFrameWidth;
                h -= kFrameHeight;
            }
            left += unitX;
            top += unitY;
            w -= 2 * unitX;
            h -= 2 * unitY;
            const bool across = (rec.FieldFlags & df::kSideBySide) != 0;
            for (int32_t c : childrenOf(f, rec, static_cast<int32_t>(f.size()) - 1)) {
                const DialogField& child = f[static_cast<size_t>(c)];
                if (across) {
                    const int32_t cw = child.StretchX * unitX + child.FixedWidth;
                    resize(c, left, top, cw, h);
                    left += cw + unitX;
                } else {
                    const int32_t ch = child.StretchY * unitY + child.FixedHeight;
                    resize(c, left, top, w, ch);
                    top += ch + unitY;
                }
            }
            return;
        }
        const int32_t y = top + (h - rec.FixedHeight) / 2;
        if (rec.isCheckBox() || rec.isOption()) {
            put(rec.isCheckBox() ? DlgControl::Chk : DlgControl::Opt, rec.ControlIndex, {left, y, w, kCheckHeight});
        } else if (rec.isButtonRow()) {
            const int32_t gap = (w - 2 * m.ButtonWidth) / 3;
            buttons.placed = true;
            buttons.esc = {left + gap, y, m.ButtonWidth, kBoxHeight};
            buttons.ok = {left + w - gap - m.ButtonWidth, y, m.ButtonWidth, kBoxHeight};
        } else {
            int32_t width = w;
            if ((rec.FieldFlags & (df::kFileBrowse | df::kFolderBrowse)) != 0) {
                put(DlgControl::CmdBrw, rec.LinkIndex,
                    {left + w - m.BrowseWidth, y + kLabelHeight, m.BrowseWidth, kBoxHeight});
                width = w - m.BrowseWidth - kGap;
            }
            width = std::max(width, 0);
            put(DlgControl::Lab, rec.LabelIndex, {left, y, width, kLabelHeight});
            put(DlgControl::Txt, rec.ControlIndex, {left, y + kLabelHeight, width, kBoxHeight});
        }
    }
};

std::u16string recordName(std::u16string_view prefix, int32_t r) {
    std::u16string name(prefix);
    for (char c : std::to_string(r)) name += static_cast<char16_t>(c);
    return name;
}

std::u16string upper(std::u16string s) {
    for (char16_t& c : s) c = plat::toUpper(c);
    return s;
}
std::u16string lower(std::u16string s) {
    for (char16_t& c : s) c = plat::toLower(c);
    return s;
}

int32_t bitValue(int32_t n) { return static_cast<int32_t>(1u << (n & 31)); }

}  // namespace

DlgBuild BuildDialog(std::vector<DialogField>& fields, int32_t fieldCount, const DlgMetrics& m) {
    Builder b{fields, std::min<int32_t>(fieldCount, static_cast<int32_t>(fields.size()) - 1), m, {}, {}, 0};
    if (fieldCount > kMaxDialogRecords) {
        b.out.error = u"more than 191 records";
        return b.out;
    }
    if (b.count < 1) {
        b.out.error = u"no records";
        return b.out;
    }
    b.built.assign(fields.size(), false);
    b.out.ok = b.setup(1, -1);
    b.out.okTab = b.tab;
    b.out.escTab = b.tab + 1;
    return b.out;
}

std::vector<DlgPlace> LayOutDialog(const std::vector<DialogField>& fields, int32_t width, int32_t height,
                                   const DlgMetrics& m, DlgButtons& buttons) {
    buttons = {};
    Placer p{fields, m, {}, buttons, std::vector<bool>(fields.size(), false)};
    p.resize(1, 0, 0, width, height);
    return p.out;
}

void DialogSize(const DialogField& root, int32_t& width, int32_t& height) {
    width = (root.StretchX + 2) * kGap + root.FixedWidth;
    height = (root.StretchY + 2) * kGap + root.FixedHeight;
}

std::u16string DlgAdjustString(std::u16string_view text, uint32_t flags) {
    if ((flags & df::kTypeUpper) != 0) return upper(std::u16string(text));
    if ((flags & df::kTypeLower) != 0) return lower(std::u16string(text));
    return std::u16string(text);
}

uint8_t ReadBackDialog(std::vector<DialogField>& fields, int32_t fieldCount, std::u16string_view prefix,
                       const DlgControlValues& v) {
    uint8_t result = 1;
    const int32_t count = std::min<int32_t>(fieldCount, static_cast<int32_t>(fields.size()) - 1);
    for (int32_t r = 1; r <= count; ++r) {
        DialogField& rec = fields[static_cast<size_t>(r)];
        const uint32_t fl = rec.FieldFlags;
        if (rec.isCheckBox()) {
            const bool on = v.checked(rec.ControlIndex);
            if ((fl & df::kStore) != 0) SaveRegNumber(recordName(prefix, r), on ? 1 : 0);
            // Bit numbers up to 31: the value stays 32-bit.
            rec.FieldValue = on ? bitValue(rec.bitNumber()) : 0;
        } else if ((fl & df::kOptionGroup) != 0 && rec.isGroup()) {
            // The chosen option's place among the group's children.
            int32_t place = 0;
            for (int32_t c : childrenOf(fields, rec, count)) {
                const DialogField& child = fields[static_cast<size_t>(c)];
                if (child.isOption() && v.optionChecked(child.ControlIndex)) {
                    rec.FieldValue = place;
                    break;
                }
                ++place;
            }
        } else if (rec.isTextField()) {
            std::u16string text = DlgAdjustString(v.text(rec.ControlIndex), fl);
            // File and folder names stay as written: "/" is not made "\" (on Linux it is the
            // separator, and a stored name is read back by other programs).
            if ((fl & df::kStore) != 0) SaveRegString(recordName(prefix, r), text);
            // An empty folder stays empty: a lone separator would name a folder nobody chose.
            if ((fl & df::kFolderBrowse) != 0 && !text.empty() && text.back() != u'\\' && text.back() != u'/') {
                const bool backslashed =
                    text.find(u'\\') != std::u16string::npos && text.find(u'/') == std::u16string::npos;
                text += backslashed ? u'\\' : u'/';
            }
            if (text.empty() && (fl & df::kRequired) != 0) result = 0;
            if (!text.empty() && (fl & df::kOkLower) != 0) {
                text = lower(std::move(text));
                if ((fl & df::kOkUpper) != 0) text[0] = plat::toUpper(text[0]);
            } else if (!text.empty() && (fl & df::kOkUpper) != 0) {
                text = upper(std::move(text));
            }
            rec.FieldValue = text.empty() ? 0 : bitValue(rec.bitNumber());
            rec.FieldText = std::move(text);
        }
    }
    return result;
}

}  // namespace yov
