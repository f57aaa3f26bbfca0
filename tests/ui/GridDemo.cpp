// A window to look at the grids as a user does: a section grid with Cyrillic
// titles and numbers, and the pollutant pick list dropped down under a cell.
// Not a test and not installed; run it under a display and take a picture.

#include <memory>

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

#include "FormatSettings.h"
#include "LookupList.h"
#include "OZGrid.h"
#include "Vubor.h"
#include "ozField.h"
#include "ozMemoryData.h"

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    FormatSettings::setDecimalSeparator(QLatin1Char(','));

    TozMemoryData classifier(QStringLiteral("SprKlzav"));
    classifier.addField<TIntegerField>(QStringLiteral("KDZV"));
    classifier.addField<TStringField>(QStringLiteral("NAMEK"), 120);
    classifier.open();
    const QList<std::pair<int, QString>> pollutants{
        {123, QStringLiteral("диЖелезо триоксид (железа оксид) (в пересчете на железо)")},
        {124, QStringLiteral("Кадмий оксид (в пересчете на кадмий)")},
        {143, QStringLiteral("Марганец и его соединения (в пересчете на марганца (IV) оксид)")},
        {150, QStringLiteral("Натрий гидроксид (натр едкий)")},
        {322, QStringLiteral("Серная кислота (по молекуле H2SO4)")},
        {410, QStringLiteral("Метан")},
        {602, QStringLiteral("Бензол")},
        {616, QStringLiteral("Диметилбензол (ксилол) (смесь изомеров о-, м-, п-)")},
        {621, QStringLiteral("Метилбензол (толуол)")},
        {703, QStringLiteral("Бенз/а/пирен (3,4-бензпирен)")},
        {1325, QStringLiteral("Формальдегид")},
        {2704, QStringLiteral("Бензин (нефтяной, малосернистый) (в пересчете на углерод)")},
        {2908, QStringLiteral("Пыль неорганическая: 70-20% двуокиси кремния")},
    };
    for (const auto& [code, name] : pollutants) {
        classifier.append();
        classifier.fieldByName(QStringLiteral("KDZV")).setAsInteger(code);
        classifier.fieldByName(QStringLiteral("NAMEK")).setAsString(name);
        classifier.post();
    }
    classifier.first();

    TozMemoryData section(QStringLiteral("R2Table"));
    section.addField<TSmallintField>(QStringLiteral("CA"));
    section.addField<TIntegerField>(QStringLiteral("C1"));
    auto& name = section.addField<TStringField>(QStringLiteral("CB"), 120, TFieldKind::fkLookup);
    name.setKeyFields(QStringLiteral("C1"));
    name.setLookupDataSet(&classifier);
    name.setLookupKeyFields(QStringLiteral("KDZV"));
    name.setLookupResultField(QStringLiteral("NAMEK"));
    for (const char* column : {"C2", "C4", "C5"})
        section.addField<TFloatField>(QString::fromLatin1(column))
            .setDisplayFormat(QStringLiteral("0.000"));
    section.open();
    const QList<std::tuple<int, int, double, double, double>> rows{{201, 703, 0.0125, 0.02, 0},
                                                                   {202, 322, 1.5, 2.125, 0},
                                                                   {203, 410, 12.75, 15, 14.2},
                                                                   {204, 123, 0.334, 0.5, 0.45},
                                                                   {205, 2908, 3.1, 0, 0}};
    for (const auto& [ca, c1, c2, c4, c5] : rows) {
        section.append();
        section.fieldByName(QStringLiteral("CA")).setAsInteger(ca);
        section.fieldByName(QStringLiteral("C1")).setAsInteger(c1);
        section.fieldByName(QStringLiteral("C2")).setAsFloat(c2);
        section.fieldByName(QStringLiteral("C4")).setAsFloat(c4);
        section.fieldByName(QStringLiteral("C5")).setAsFloat(c5);
        section.post();
    }
    section.first();
    section.next();
    section.next();
    section.next();

    TDataSource source;
    source.setDataSet(&section);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Форма №2-тп (воздух)"));
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(new QLabel(
        QStringLiteral("Выброс в атмосферу специфических загрязняющих веществ 1)"), &window));
    auto* grid = new TOZGrid(&window);
    grid->setShowIndicator(true);
    grid->addColumn(QStringLiteral("CA"), QStringLiteral("A"), 28)->setReadOnly(true);
    grid->addColumn(QStringLiteral("C1"), QStringLiteral("1"), 39)->setReadOnly(true);
    grid->addColumn(QStringLiteral("CB"), QStringLiteral("Б"), 254)->setReadOnly(true);
    grid->addColumn(QStringLiteral("C2"), QStringLiteral("2"), 120);
    grid->addColumn(QStringLiteral("C4"), QStringLiteral("3"), 120);
    grid->addColumn(QStringLiteral("C5"), QStringLiteral("4"), 120);
    grid->setDataSource(&source);
    grid->setLocEnabled(true);
    grid->OnSelectedList = [&](TLookupGrid&, TLookupList*& list) {
        list = PrepareListPicker(&source, &classifier, QStringLiteral("C1,KDZV"),
                                 QStringLiteral("KDZV;NAMEK"), QStringLiteral("Код,Наименование"));
    };
    layout->addWidget(grid);
    window.resize(760, 320);
    window.move(40, 40);
    window.show();
    grid->setFocus();
    grid->setSelectedColumn(1);

    const QStringList args = app.arguments();
    if (args.contains(QStringLiteral("--picker"))) {
        QTimer::singleShot(700, grid, [grid] { grid->ShowLookupList(); });
    } else if (args.contains(QStringLiteral("--locate"))) {
        grid->setSelectedColumn(2);
        QTimer::singleShot(700, grid, [grid] {
            for (const QString& c : {QStringLiteral("б"), QStringLiteral("е")}) {
                QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, c);
                QApplication::sendEvent(grid, &press);
            }
        });
    }
    return app.exec();
}
