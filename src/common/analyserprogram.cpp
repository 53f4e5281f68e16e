#include "common/analyserprogram.h"

#include "common/inifile.h"

#include <QFileInfo>

namespace sokuri {

namespace {

bool runnable(const QString& path)
{
    const QFileInfo info(path);
    return info.isFile() && info.isExecutable();
}

} // namespace

QString DefaultAnalyserProgram()
{
    const QString chasen = QString::fromUtf16(ChasenProgramPath);
    const QString mecab = QString::fromUtf16(MecabProgramPath);
    if (!runnable(chasen) && runnable(mecab))
        return mecab;
    return chasen;
}

bool ChooseDefaultAnalyser(const QString& iniPath)
{
    const QString section = QStringLiteral("chasen");
    const QString key = QStringLiteral("filename");
    const QString program = GetIniString(section, key, iniPath);
    if (program != QStringView(ChasenProgramPath) || DefaultAnalyserProgram() == program)
        return true;
    return WriteIniString(section, key, DefaultAnalyserProgram(), iniPath);
}

} // namespace sokuri
