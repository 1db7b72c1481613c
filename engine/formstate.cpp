// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/formstate.h"

namespace morv {

namespace {

template <std::size_t Size>
Control *element(std::array<Control, Size> &array, int index)
{
    return index >= 0 && index < int(Size) ? &array[std::size_t(index)] : nullptr;
}

} // namespace

void StringList::write(int r, const QString &text)
{
    if (r >= 0 && r < rows.size())
        rows[r] = text;
}

FormState FormState::fromLayout()
{
    FormState state;
    state.caption = windowCaption();
    for (const LayoutEntry &entry : layoutTable()) {
        if (entry.kind == Kind::StringList) {
            state.List2[std::size_t(entry.index)].rows = entry.text.toString().split(u'\n');
            continue;
        }
        Control *control = state.find(entry.name, entry.index);
        control->name = entry.name.toString();
        control->index = entry.index;
        control->kind = entry.kind;
        control->left = float(entry.left);
        control->top = float(entry.top);
        control->width = float(entry.width);
        control->height = float(entry.height);
        control->visible = entry.visible;
        control->background = entry.background;
        control->text = entry.text.toString();
    }
    state.Text1[0].text = helpText();
    state.Text1[1].text = authorNote();
    return state;
}

Control *FormState::find(QStringView name, int index)
{
    if (name == u"Label1")
        return element(Label1, index);
    if (name == u"Command1")
        return element(Command1, index);
    if (name == u"Command2")
        return element(Command2, index);
    if (name == u"Text1")
        return element(Text1, index);
    if (name == u"Text2")
        return element(Text2, index);
    if (name == u"Option1")
        return element(Option1, index);
    if (name == u"Shape1")
        return element(Shape1, index);
    if (name == u"Shape2")
        return element(Shape2, index);
    if (index >= 0)
        return nullptr;
    if (name == u"Frame1")
        return &Frame1;
    if (name == u"Picture1")
        return &Picture1;
    if (name == u"Picture2")
        return &Picture2;
    return nullptr;
}

const Control *FormState::find(QStringView name, int index) const
{
    return const_cast<FormState *>(this)->find(name, index);
}

int rowNumber(QStringView row)
{
    qsizetype i = 0;
    while (i < row.size() && row[i] == u' ')
        ++i;
    bool negative = false;
    if (i < row.size() && (row[i] == u'-' || row[i] == u'+')) {
        negative = row[i] == u'-';
        ++i;
    }
    long long value = 0;
    for (; i < row.size() && row[i] >= u'0' && row[i] <= u'9' && value < 1'000'000'000; ++i)
        value = value * 10 + (row[i].unicode() - u'0');
    return int(negative ? -value : value);
}

} // namespace morv
