#include "calcparts.h"

namespace orlam {

CalcParts::CalcParts(const QString &settingsPath, const QString &workFolder, const LocaleFacts &locale,
                     CalcHost &host)
    : mLocale(locale), mStore(settingsPath)
{
    mCreateStatus = mStore.LoadSettings(mLocale, &mSettings, &mDerived, &mWindowKeys);
    mRunner = std::make_unique<AstrologRunner>(host, AstrologRunner::resolveProgram(mSettings.Astrolog),
                                               workFolder);
    mAstro = std::make_unique<Astrocalls>(mSettings, mDerived, *mRunner);
    mCalc = std::make_unique<Calculator>(mSettings, mLocale, *mAstro, host);
}

} // namespace orlam
