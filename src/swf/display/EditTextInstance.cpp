#include "swf/display/EditTextInstance.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>

#include "swf/display/MovieClip.h"
#include "swf/display/MovieContext.h"
#include "swf/text/TextDecoding.h"
#include "swf/text/TextRestriction.h"

namespace swf {

EditTextInstance::EditTextInstance(MovieContext& context,
                                   std::shared_ptr<const EditTextCharacter> field)
    : DisplayObject(context, field),
      field_(field, &context.dictionary(), context.movie().header.version) {}

const Dictionary& EditTextInstance::dictionary() const {
    // A clip of a loaded movie has the fonts of its own movie.
    if (DisplayObject* parentObject = parent())
        if (MovieClip* clip = parentObject->asMovieClip()) return clip->dictionary();
    return context().dictionary();
}

Rect EditTextInstance::localBounds() const {
    return field_.box(dictionary());
}

Point EditTextInstance::boxOffset() const {
    const Rect& box = field_.box(dictionary());
    // A field a script made counts from its origin whichever way its size runs.
    const Rect& definition = field_.definition().bounds;
    const bool fromOrigin = field_.definition().madeByScript;
    const double dx = double(box.xMin) - (fromOrigin ? definition.xMin : 0);
    const double dy = double(box.yMin) - (fromOrigin ? definition.yMin : 0);
    // In whole twips, as the player keeps positions.
    const Matrix& m = matrix();
    return Point{std::round(m.a * dx + m.c * dy), std::round(m.b * dx + m.d * dy)};
}

void EditTextInstance::setEditable(bool editable) {
    field_.settings().editable = editable;
    if (!field_.definition().madeByScript) return;
    auto definition = EditTextCharacter::forScript(field_.definition().bounds);
    definition->readOnly = !editable;
    setCharacter(std::move(definition));
}

bool EditTextInstance::typeText(std::u32string_view text) {
    const TextFieldSettings& settings = field_.settings();
    if (!settings.editable) return false;
    std::optional<TextRestriction> restriction;
    if (settings.restrict) restriction.emplace(DecodeMovieText(*settings.restrict));
    const size_t length = field_.text().size();
    const size_t begin = std::min(selectionBegin_, length);
    const size_t end = std::clamp(selectionEnd_, begin, length);
    const size_t kept = length - (end - begin);
    const size_t most = static_cast<size_t>(settings.maxChars);
    const size_t room = settings.maxChars <= 0 ? SIZE_MAX : kept >= most ? 0 : most - kept;
    std::u32string entered;
    for (size_t i = 0; i < text.size() && entered.size() < room; ++i) {
        char32_t c = text[i];
        if (c == U'\r' || c == U'\n') {
            // "\r\n" is one break.
            if (c == U'\r' && i + 1 < text.size() && text[i + 1] == U'\n') ++i;
            if (settings.multiline) entered.push_back(U'\r');
            continue;
        }
        if (c < U' ' || c == U'\x7F') continue;
        if (restriction) {
            const std::optional<char32_t> admitted = restriction->admit(c);
            if (!admitted) continue;
            c = *admitted;
        }
        entered.push_back(c);
    }
    if (entered.empty()) return false;
    const size_t caret = begin + entered.size();
    field_.replaceText(begin, end, std::move(entered));
    select(caret, caret);
    return true;
}

bool EditTextInstance::edit(InputEvent::TextControl control) {
    using Control = InputEvent::TextControl;
    const std::u32string& text = field_.text();
    const size_t length = text.size();
    const size_t begin = std::min(selectionBegin_, length);
    const size_t end = std::clamp(selectionEnd_, begin, length);
    switch (control) {
        case Control::Backspace:
        case Control::Delete:
        case Control::Cut: {
            if (!field_.settings().editable) return false;
            size_t from = begin, to = end;
            if (from == to && control == Control::Backspace && from > 0) --from;
            if (from == to && control == Control::Delete && to < length) ++to;
            if (from == to) return false;
            field_.replaceText(from, to, {});
            select(from, from);
            return true;
        }
        case Control::MoveLeft: {
            const size_t caret = begin < end ? begin : begin - (begin > 0 ? 1 : 0);
            select(caret, caret);
            return false;
        }
        case Control::MoveRight: {
            const size_t caret = begin < end ? end : end + (end < length ? 1 : 0);
            select(caret, caret);
            return false;
        }
        case Control::MoveLeftLine: {
            size_t caret = begin;
            while (caret > 0 && text[caret - 1] != U'\r') --caret;
            select(caret, caret);
            return false;
        }
        case Control::MoveRightLine: {
            const size_t caret = std::min(text.find(U'\r', end), length);
            select(caret, caret);
            return false;
        }
        case Control::SelectAll:
            select(0, length);
            return false;
        case Control::Enter:
            return typeText(U"\r");
        case Control::Copy:
        case Control::Paste:
            return false;  // the clipboard is the host's
    }
    return false;
}

std::u32string EditTextInstance::selectedText() const {
    const std::u32string& text = field_.text();
    const size_t begin = std::min(selectionBegin_, text.size());
    const size_t end = std::clamp(selectionEnd_, begin, text.size());
    return text.substr(begin, end - begin);
}

void EditTextInstance::draw(RenderContext& context, const Matrix& toPixels,
                            const ColorTransform& cxform) const {
    std::optional<size_t> caret;
    if (focused_ && field_.settings().editable && selectionBegin_ == selectionEnd_)
        caret = std::min(selectionEnd_, field_.text().size());
    // Only the focused field shows its selection.
    std::pair<size_t, size_t> selected;
    if (focused_ && field_.settings().selectable) selected = {selectionBegin_, selectionEnd_};
    field_.draw(context.canvas, toPixels, cxform, context.dictionary, context.maskPass, caret,
                selected);
}

}  // namespace swf
