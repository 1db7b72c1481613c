// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/formstate.h"

namespace morv {

void StringList::write(int r, const QString &text)
{
    if (r >= 0 && r < rows.size())
        rows[r] = text;
}

FormState FormState::fromLayout()
{
    FormState state;
    state.caption = windowCaption();
    for (const ControlEntry &entry : controlTable()) {
        Control &control = entry.slot(state);
        control.name = entry.name.toString();
        control.index = entry.index;
        control.kind = entry.kind;
        control.left = float(entry.place.left);
        control.top = float(entry.place.top);
        control.width = float(entry.place.width);
        control.height = float(entry.place.height);
        control.visible = entry.visible;
        control.background = entry.background;
        control.text = entry.text.toString();
    }
    for (std::size_t t = 0; t < state.List2.size(); ++t)
        state.List2[t].rows = runTableRows()[t].toString().split(u'\n');
    state.Text1[Help].text = helpText();
    state.Text1[AuthorNote].text = authorNote();
    return state;
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
