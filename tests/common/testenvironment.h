#pragma once

#include <QApplication>
#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdlib>
#include <memory>

namespace ScriboTest {

// Points HOME and the XDG folders at a fresh temporary directory before any Qt
// object reads them, so settings, documents and logs of a test never touch the
// real user's, and every test process starts from a clean state.
class IsolatedHome
{
public:
    IsolatedHome()
        : m_dir(QDir::tempPath() + QStringLiteral("/scribo-test-XXXXXX"))
    {
        if (!m_dir.isValid())
            qFatal("cannot create a temporary home directory");
        const QByteArray home = QFile::encodeName(m_dir.path());
        QDir(m_dir.path()).mkpath(QStringLiteral("Documents"));
        QDir(m_dir.path()).mkpath(QStringLiteral(".config"));
        qputenv("HOME", home);
        qputenv("XDG_CONFIG_HOME", home + "/.config");
        qputenv("XDG_DATA_HOME", home + "/.local/share");
        qputenv("XDG_CACHE_HOME", home + "/.cache");
        qputenv("XDG_DOCUMENTS_DIR", home + "/Documents");
        QDir(m_dir.path()).mkpath(QStringLiteral("runtime"));
        QFile::setPermissions(m_dir.filePath(QStringLiteral("runtime")),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", home + "/runtime");
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
    }

    QString path() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
};

// Folder of the checked-in fixtures.
inline QString dataPath(const QString &name = QString())
{
    return QStringLiteral(SCRIBO_TEST_DATA_DIR "/") + name;
}

} // namespace ScriboTest

// Test mains with an isolated home. The GUI variant also serves widget tests
// (the offscreen platform is used unless another one is set).
#define SCRIBO_TEST_MAIN_IMPL(AppClass, TestObject)                                                \
    int main(int argc, char **argv)                                                                \
    {                                                                                              \
        ScriboTest::IsolatedHome isolatedHome;                                                     \
        AppClass app(argc, argv);                                                                  \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                   \
        TestObject tc;                                                                             \
        QTEST_SET_MAIN_SOURCE_PATH                                                                 \
        return QTest::qExec(&tc, argc, argv);                                                      \
    }

#define SCRIBO_TEST_MAIN(TestObject) SCRIBO_TEST_MAIN_IMPL(QApplication, TestObject)
#define SCRIBO_TEST_CORE_MAIN(TestObject) SCRIBO_TEST_MAIN_IMPL(QCoreApplication, TestObject)
