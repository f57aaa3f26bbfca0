// The five section pages of the main window: title bars, header captions,
// grids, footnotes and the measure text box, and the layout of the headers.
#include "Main.h"

#include <algorithm>

#include <QFontInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

#include "DataControls.h"
#include "DataSetModel.h"
#include "Errors.h"
#include "HeaderCaptions.h"
#include "LookupList.h"
#include "MDM.h"
#include "OZGrid.h"
#include "ReportSections.h"
#include "SectionLayout.h"
#include "UserInterface.h"
#include "Vubor.h"

namespace {

QString sectionTitle(int section)
{
    switch (section) {
    case 1:
        return QStringLiteral("Выбросы загрязняющих веществ в атмосферу, их очистка и утилизация");
    case 2:
        return QStringLiteral("Выброс в атмосферу специфических загрязняющих веществ 1)");
    case 3:
        return QStringLiteral("Источники загрязнения атмосферы");
    case 4:
        return QStringLiteral(
            "Выполнение мероприятий по уменьшению выбросов загрязняющих веществ в атмосферу");
    default:
        return QStringLiteral("Выбросы загрязняющих веществ в атмосферный воздух от отдельных "
                              "групп источников загрязнения");
    }
}

QString footnoteText(int section)
{
    switch (section) {
    case 1:
        return QStringLiteral("* Коды даны в соответствии с \"Перечнем и кодами веществ, "
                              "загрязняющих атмосферный воздух\". Санкт-Петербург, 2008");
    case 2:
        return QStringLiteral("1) В разделе отражаются все вещества, поступающие в атмосферу, "
                              "кроме диоксида серы, оксида углерода и оксидов азота, выбросы по "
                              "которым приводятся в разделе 1.");
    case 4:
        return QStringLiteral("1) Перед цифрой необходимо ставить знак \"-\"");
    default:
        return QString();
    }
}

// The icon of a tab page: the section's number in a small box.
QIcon sectionIcon(int section)
{
    QPixmap picture(16, 16);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QColor(0, 0, 128));
    painter.setBrush(QColor(255, 255, 224));
    painter.drawRoundedRect(QRectF(0.5, 0.5, 15, 15), 3, 3);
    QFont digit;
    digit.setFamilies({QStringLiteral("Arial"), QStringLiteral("DejaVu Sans")});
    digit.setPixelSize(12);
    digit.setBold(true);
    painter.setFont(digit);
    painter.drawText(QRect(0, 0, 16, 16), Qt::AlignCenter, QString::number(section));
    return QIcon(picture);
}

QLabel* makeFootnote(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setContentsMargins(4, 2, 4, 2);
    label->setWordWrap(true);
    return label;
}

} // namespace

void TF2tpForm::createPages()
{
    m_pages = new QTabWidget(this);
    m_pages->setDocumentMode(true);
    // Pages drawn as buttons that light up under the mouse.
    m_pages->tabBar()->setStyleSheet(QStringLiteral(
        "QTabBar::tab { border: 1px solid palette(mid); border-radius: 2px;"
        " background: palette(button); padding: 3px 10px; margin: 2px 1px; }"
        "QTabBar::tab:hover { background: palette(light); border-color: palette(highlight); }"
        "QTabBar::tab:selected { background: palette(midlight); border-style: inset;"
        " border-color: palette(dark); }"));
    m_pages->tabBar()->setIconSize(QSize(16, 16));
    for (int section = 1; section <= 5; ++section) {
        QWidget* page = createPage(section);
        m_pages->addTab(page, sectionIcon(section), QStringLiteral("Раздел"));
    }
    m_pages->setTabToolTip(0, sectionTitle(1).trimmed());
    m_pages->tabBar()->setToolTip(QString());
    connect(m_pages, &QTabWidget::currentChanged, this, [this] { ArrangeHeaders(); });
}

QWidget* TF2tpForm::createPage(int section)
{
    auto* page = new QWidget(m_pages);
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto* titleBar = new QFrame(page);
    titleBar->setFrameStyle(QFrame::Panel | QFrame::Raised);
    auto* titleLayout = new QHBoxLayout(titleBar);
    titleLayout->setContentsMargins(4, 3, 4, 3);
    auto* title = new QLabel(sectionTitle(section), titleBar);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    title->setAlignment(Qt::AlignCenter);
    title->setWordWrap(true);
    titleLayout->addWidget(title, 1);
    if (section == 1) {
        auto* unit = new QLabel(QStringLiteral("код по ОКЕИ: тонна-168 "), titleBar);
        unit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        titleLayout->addWidget(unit);
    }
    m_titles.at(std::size_t(section - 1)) = title;
    layout->addWidget(titleBar);

    TOZGrid* view = createGrid(section, page);
    auto* captions = new THeaderCaptions(view, page);
    buildHeader(section, captions);
    // A column's hint is the captions standing over it, the group's first.
    for (int column = 0; column < view->columnsCount(); ++column) {
        QStringList texts;
        for (const QLabel* caption : captions->captions()) {
            if (!caption->text().isEmpty() && captions->firstColumn(caption) <= column &&
                column <= captions->lastColumn(caption))
                texts.append(caption->text());
        }
        if (TozColumn* ozColumn = view->ozColumn(column))
            ozColumn->setFullName(texts.join(QStringLiteral(": ")));
    }
    m_captions.at(std::size_t(section - 1)) = captions;
    m_grids.at(std::size_t(section - 1)) = view;
    view->installEventFilter(this);
    layout->addWidget(captions);
    layout->addWidget(view, 1);

    if (section == 4) {
        auto* bar = new QFrame(page);
        bar->setFrameStyle(QFrame::Panel | QFrame::Raised);
        auto* barLayout = new QHBoxLayout(bar);
        barLayout->setContentsMargins(4, 3, 4, 3);
        auto* label = new QLabel(QStringLiteral("Наименование мероприятия"), bar);
        m_measureText = new TDBMemo(bar);
        m_measureText->setFixedHeight(m_measureText->fontMetrics().lineSpacing() * 3 + 10);
        label->setBuddy(m_measureText);
        barLayout->addWidget(label, 0, Qt::AlignTop);
        barLayout->addWidget(m_measureText, 1);
        layout->addWidget(bar);
    }
    const QString note = footnoteText(section);
    if (!note.isEmpty()) {
        QLabel* footnote = makeFootnote(note, page);
        m_footnotes.at(std::size_t(section - 1)) = footnote;
        layout->addWidget(footnote);
    }
    return page;
}

void TF2tpForm::buildHeader(int section, THeaderCaptions* captions)
{
    const QString row = QStringLiteral("№ стр.");
    const QString code = QStringLiteral("Код ЗВ");
    const QString pollutants = QStringLiteral("Загрязняющие вещества");
    const QString all = QStringLiteral("всего");
    switch (section) {
    case 1:
        captions->addCaption(row, 0);
        captions->addCaption(code, 1);
        captions->addCaption(pollutants, 2);
        captions->addGroup(QStringLiteral("Выбрасывается без очистки"), 3,
                           {all, QStringLiteral("в том числе от орг. источн. загрязн.")});
        captions->addCaption(QStringLiteral("Поступило на очистные сооружения, всего"), 5);
        captions->addGroup(QStringLiteral("Из поступивших на очистку - уловлено и обезврежено"), 6,
                           {all, QStringLiteral("из них утилизиро- вано")});
        captions->addCaption(QStringLiteral("Всего выброшено в атмосферу ЗВ за отчетный год"), 8);
        captions->addGroup(QStringLiteral("Установл. нормативы выбросов ЗВ на отчетный год, т/год"),
                           9,
                           {QStringLiteral("предельно допустимый выброс (ПДВ)"),
                            QStringLiteral("временно согласов. выброс (ВСВ)")});
        break;
    case 2:
        captions->addCaption(row, 0);
        captions->addCaption(code, 1);
        captions->addCaption(pollutants, 2);
        captions->addCaption(QStringLiteral("Выброс в атмосферу специфических ЗВ за отчетный год"),
                             3);
        captions->addGroup(QStringLiteral("Установленные нормативы на отчетный год, т/год"), 4,
                           {QStringLiteral("ПДВ"), QStringLiteral("ВСВ")});
        break;
    case 3:
        captions->addCaption(QStringLiteral("№  стр."), 0);
        captions->addCaption(QString(), 1);
        captions->addGroup(
            QStringLiteral("Количество источников загрязнения атмосферы на конец года, единиц "
                           "(код по ОКЕИ-642)"),
            2, {all, QStringLiteral("из них организованных")});
        captions->addCaption(QStringLiteral("Разрешенный выброс в атмосферу загрязняющих "
                                            "веществ, тонн (код по ОКЕИ-168)"),
                             4);
        captions->addCaption(QStringLiteral("Фактически выб- рошено в атмосферу загрязняющих "
                                            "веществ, тонн (код по ОКЕИ-168)"),
                             5);
        break;
    case 4:
        captions->addCaption(row, 0);
        captions->addCaption(QStringLiteral("Наименование промышленного производства и "
                                            "технологического оборудования"),
                             1);
        captions->addGroup(QStringLiteral("Мероприятия, предусмотренные в отчетном году"), 2,
                           {QStringLiteral("Наименование мероприятия"),
                            QStringLiteral("группа меро- приятий"),
                            QStringLiteral("оценка выполнения, выполнено - 1, по остальным - 0")});
        captions->addGroup(
            QStringLiteral("Использовано на мероприятия, тыс.руб."), 5,
            {QStringLiteral("за от- четный год"), QStringLiteral("за прош- лый год")});
        captions->addGroup(QStringLiteral("Уменьшение выбросов ЗВ после мероприятий, тонн 1)"), 7,
                           {QStringLiteral("ожидаемое (расчетное)"), QStringLiteral("фактически")});
        break;
    default:
        captions->addCaption(row, 0);
        captions->addCaption(code, 1);
        captions->addCaption(pollutants, 2);
        captions->addGroup(
            QStringLiteral("Выброс в атмосферу ЗВ, тонн"), 3,
            {QStringLiteral("от сжигания топлива (для выработки электро- и теплоэнергии)"),
             QStringLiteral("от технологических и других процессов")});
        break;
    }
}

void TF2tpForm::ArrangeHeaders()
{
    if (!m_pages)
        return;
    for (int section = 1; section <= 5; ++section) {
        TOZGrid* view = grid(section);
        QHeaderView* header = view->horizontalHeader();
        const int columns = header->count();
        if (columns != SectionLayout::Columns(section).size())
            continue;
        // The grid's sections include the cell's line, so the columns fill the
        // client width exactly. A text column never shrinks below a usable width.
        constexpr int minimumWidth = 20;
        const int clientWidth = view->viewport()->width();
        const auto othersThan = [&](std::initializer_list<int> stretched) {
            int sum = 0;
            for (int i = 0; i < columns; ++i) {
                if (std::find(stretched.begin(), stretched.end(), i) == stretched.end())
                    sum += header->sectionSize(i);
            }
            return sum;
        };
        switch (section) {
        case 3:
            header->resizeSection(1, std::max(minimumWidth, clientWidth - othersThan({1})));
            break;
        case 4: {
            // R, the text width the two columns share once each has its line,
            // is split as the form does: column 1 takes R div 2 - 1 (C++
            // division truncates toward zero, as the form's does), column 2 the
            // rest, so the columns still fill the width exactly.
            const int r = clientWidth - othersThan({1, 2}) - 2;
            const int first = r / 2 - 1;
            header->resizeSection(1, std::max(minimumWidth, first + 1));
            header->resizeSection(2, std::max(minimumWidth, r - first + 1));
            break;
        }
        default:
            header->resizeSection(2, std::max(minimumWidth, clientWidth - othersThan({2})));
            break;
        }
        headerCaptions(section)->placeCaptions();
    }
}

TOZGrid* TF2tpForm::createGrid(int section, QWidget* parent)
{
    auto* view = new TOZGrid(parent);
    // The column widths are those of the form's narrow print; where the
    // window's face is not there, its condensed stand-in keeps codes such as
    // "0001" whole in their columns.
    if (QFontInfo(view->font()).family() != QLatin1String("MS Sans Serif")) {
        QFont narrow = view->font();
        narrow.setStretch(QFont::SemiCondensed);
        view->setFont(narrow);
    }
    view->setShowIndicator(section == 2);
    view->setDataSource(sectionSource(section));
    for (const TSectionColumn& columnDef : SectionLayout::Columns(section)) {
        TGridColumn* column =
            view->addColumn(columnDef.field, columnDef.title, columnDef.width + 1);
        column->setReadOnly(!columnDef.editable);
    }
    if (section == 2) {
        view->OnSelectedList = [this](TLookupGrid& sender, TLookupList*& list) {
            OZGrid2SelectedList(sender, list);
        };
    }
    return view;
}

void TF2tpForm::OZGrid2SelectedList(TLookupGrid& sender, TLookupList*& list)
{
    const int column = sender.selectedColumn();
    if (column != 1 && column != 2)
        return;
    if (!m_sections->OpenPickList())
        return;
    list = PrepareListPicker(sectionSource(2), &m_dm.SprKlzav(), QStringLiteral("C1,KDZV"),
                             QStringLiteral("KDZV;NAMEK"), QStringLiteral("Код,Наименование"));
    // The tool bar has room for the command a user looks for; all three are
    // in the list's context menu.
    ListForm()->setUseActions({m_addPollutantAct},
                              {m_addPollutantAct, m_changePollutantAct, m_removePollutantAct});
}

void TF2tpForm::VubActExecute()
{
    updateActions();
    if (!m_vubAct->isEnabled())
        return;
    TOZGrid* view = grid(2);
    view->setSelectedColumn(1);
    view->ShowLookupList();
    updateActions();
}

bool TF2tpForm::gridKeyPress(int section, QKeyEvent* event)
{
    const bool ctrlDelete =
        event->key() == Qt::Key_Delete && event->modifiers() == Qt::ControlModifier;
    if (section == 2) {
        // The grid never deletes a row by itself: that is the delete command's.
        if (ctrlDelete)
            return true;
        const bool enter = (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
                           (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
        const int column = grid(2)->selectedColumn();
        if (enter && (column == 1 || column == 2)) {
            grid(2)->ShowLookupList();
            updateActions();
            return true;
        }
        return false;
    }
    if (!ctrlDelete)
        return false;
    // The other sections delete at once where the table allows it (only the
    // added row 406 of section 4); a refusal is silent.
    TDataSet* table = sectionSource(section)->dataSet();
    if (table && table->active() && !table->isEmpty()) {
        try {
            table->deleteRecord();
        } catch (const EAbort&) {
        } catch (...) {
            ShowApplicationError(std::current_exception());
        }
    }
    return true;
}
