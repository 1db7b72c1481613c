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
    for (const ControlSpec &spec : controlTable()) {
        Control &control = spec.slot(state);
        control.name = spec.name.toString();
        control.index = spec.index;
        control.kind = spec.kind;
        control.left = float(spec.left);
        control.top = float(spec.top);
        control.width = float(spec.width);
        control.height = float(spec.height);
        control.visible = spec.visible;
        control.background = spec.background;
        control.text = spec.text.toString();
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
