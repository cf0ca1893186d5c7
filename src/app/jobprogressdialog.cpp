#include "app/jobprogressdialog.h"

#include <QCoreApplication>
#include <QProgressDialog>

namespace {

// Short jobs finish without any dialog flashing up.
constexpr int ShowDialogAfterMs = 500;

} // namespace

QString generateWithProgressDialog(QWidget *parent, const JobGeneration &generate)
{
    QProgressDialog dialog(QCoreApplication::translate("JobProgressDialog", "正在生成 G 代码…"),
                           QCoreApplication::translate("JobProgressDialog", "取消"), 0, 100, parent);
    dialog.setWindowTitle(QCoreApplication::translate("JobProgressDialog", "生成 G 代码"));
    dialog.setWindowModality(Qt::WindowModal);
    dialog.setMinimumDuration(ShowDialogAfterMs);
    dialog.setAutoClose(true);
    dialog.setValue(0);

    const QString result = generate([&dialog](int percent) {
        // A modal dialog handles pending events in setValue, so Cancel is seen here.
        if (percent < 100)
            dialog.setValue(percent);
        return !dialog.wasCanceled();
    });
    dialog.reset();
    return result;
}
