#pragma once

#include "coretestsupport.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace orlam::test {

inline QString testData(const QString &name)
{
    return QStringLiteral(ORLAM_TEST_DATA "/astrocalls/") + name;
}

} // namespace orlam::test
