// The frame on a screen of twice the pixel density (run with QT_SCALE_FACTOR=2):
// every picture is drawn from its 2x artwork, pixel for pixel, not scaled up.
#include "widgets/qmform.h"

#include <QImage>
#include <QTest>

class TestQMHiDpi : public QObject
{
    Q_OBJECT
private slots:
    void pictures_areDrawnFromTheirDenseArtwork_data()
    {
        QTest::addColumn<QString>("part");
        QTest::addColumn<QString>("picture");
        QTest::newRow("close") << "closeImage"
                               << "close";
        QTest::newRow("maximise") << "maxImage"
                                  << "max";
        QTest::newRow("top-right") << "ImageQMTopRight"
                                   << "topright";
        QTest::newRow("bottom-right") << "ImageQMBottomRight"
                                      << "bottomright";
    }

    void pictures_areDrawnFromTheirDenseArtwork()
    {
        QFETCH(QString, part);
        QFETCH(QString, picture);
        TQMForm form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCOMPARE(form.devicePixelRatioF(), 2.0);
        auto *image = form.findChild<QWidget *>(part);
        QVERIFY(image);
        const QImage shot = image->grab().toImage().convertToFormat(QImage::Format_ARGB32);
        const QImage art =
            QImage(QStringLiteral(":/loqa/frame/%1@2x.png").arg(picture)).convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(shot.size(), art.size());
        // Inside the picture's opaque area every device pixel is the artwork's.
        int compared = 0;
        int inside = 0;
        for (int y = 4; y < art.height() - 4; ++y) {
            for (int x = 4; x < art.width() - 4; ++x) {
                const QRgb want = art.pixel(x, y);
                ++inside;
                if (qAlpha(want) != 255)
                    continue;
                ++compared;
                QVERIFY2(shot.pixel(x, y) == want, qPrintable(QStringLiteral("pixel %1,%2").arg(x).arg(y)));
            }
        }
        QVERIFY(compared > inside / 2);
    }
};

QTEST_MAIN(TestQMHiDpi)
#include "tst_qmhidpi.moc"
