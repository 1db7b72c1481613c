// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: any bytes as a bank source must be refused with problems or give a bank the
// engine can run a whole test on, never a crash. The input is the source text, then optionally the
// separator below and the bytes of the figure "q.jpg" beside it, read from a real folder; the same
// bytes are also read as a payload.
#include "bank/bankreader.h"
#include "bank/picturecheck.h"
#include "engine/morvprazno.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

using namespace Qt::Literals::StringLiterals;

namespace {

class CountingRandom final : public morv::RandomSource
{
public:
    void seedFromClock() override {}
    float draw() override
    {
        m_next = (m_next * 37 + 11) % 1000;
        return float(m_next) / 1000.0f;
    }

private:
    int m_next = 0;
};

void playWholeTest(morv::Bank bank)
{
    CountingRandom random;
    morv::MORV_Prazno form(std::move(bank), random, {});
    form.Form_Load();
    const int count = form.values().QuestionCount;
    for (int p = 0; p < count; ++p) {
        for (int option = 0; option < 5; ++option) {
            if (form.state().Option1[std::size_t(option)].visible)
                form.selectOption((p + option) % 5);
        }
        form.Command1_Click(0);
    }
    form.Command1_Click(1);
    form.Command2_Click(0);
    for (int p = 0; p <= count; ++p)
        form.Command2_Click(1);
    form.autor_Click();
}

void write(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
}

void expectBankExactlyWhenSound(morv::BankLoad load)
{
    if (load.bank.has_value() == !load.problems.isEmpty())
        __builtin_trap(); // a bank is given exactly when nothing is wrong
    if (load.bank)
        playWholeTest(std::move(*load.bank));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static const QByteArray separator("\n--q.jpg--\n");
    static QTemporaryDir folder;
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    const qsizetype cut = input.indexOf(separator);
    write(folder.filePath(u"bank.json"_s), cut < 0 ? input : input.left(cut));
    write(folder.filePath(u"q.jpg"_s), cut < 0 ? QByteArray() : input.mid(cut + separator.size()));
    expectBankExactlyWhenSound(morv::readBankFile(folder.filePath(u"bank.json"_s), morv::jpegDecodeProblem));
    expectBankExactlyWhenSound(
        morv::readPayload(input, morv::PayloadOrigin::Appended, morv::jpegHeaderProblem));
    return 0;
}
