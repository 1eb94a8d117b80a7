#include <QDir>
#include <QFile>
#include <QTest>

#include "Icons.h"
#include "UiTestSupport.h"

using lumivex::ui::AppIcon;
using lumivex::ui::IconId;

namespace {

bool Drawn(const QIcon& icon) {
    const QImage image = icon.pixmap(16, 16).toImage();
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) > 128)
                return true;
    return false;
}

}  // namespace

// No button is blank on a bare desktop, and none shows a letter where a picture belongs.
class IconsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void everyPictureIsDrawn() {
        for (int id = int(IconId::New); id <= int(IconId::Redo); ++id)
            QVERIFY2(Drawn(AppIcon(IconId(id))), qPrintable(QString::number(id)));
    }

    void bundledPicturesAreShapesNotText() {
        AppIcon(IconId::New);  // registers the bundled set
        const QStringList names = QDir(QStringLiteral(":/icons")).entryList();
        QVERIFY(names.contains("bold.svg") && names.contains("redo.svg"));
        for (const QString& name : names) {
            QFile file(":/icons/" + name);
            QVERIFY(file.open(QIODevice::ReadOnly));
            // Text in a picture is drawn in whatever font the desktop has, and reads as a letter.
            QVERIFY2(!file.readAll().contains("<text"), qPrintable(name));
        }
    }
};

LUMIVEX_UI_TEST(IconsTest);

#include "IconsTest.moc"
