#include "tests/support/EditorLoading.h"

#include "core/Startup.h"
#include "editor/TopForm.h"

#include <QTest>

bool LoadEditor(QScopedPointer<TopForm> &form, const QString &disc)
{
    qputenv("VEXILO_CDROM_ROOTS", disc.toUtf8());
    Startup::Run();
    form.reset(new TopForm);
    form->Form_Load();
    form->show();
    return QTest::qWaitForWindowExposed(form.data());
}
