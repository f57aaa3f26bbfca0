#include "Vubor.h"

#include <QAction>
#include <QFrame>
#include <QHeaderView>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QToolBar>
#include <QVBoxLayout>

#include "DataSetModel.h"
#include "Errors.h"
#include "LookupList.h"
#include "ObFunc.h"
#include "UserInterface.h"
#include "ozField.h"
#include "ozMemoryData.h"

namespace {

QPointer<TListForm> g_listForm;

enum class Glyph
{
    Check,
    Cross,
    First,
    Prior,
    Next,
    Last
};

// The tool bar's small pictures, drawn so that they need no image files.
QIcon glyphIcon(Glyph glyph)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    switch (glyph) {
    case Glyph::Check:
        p.setPen(QPen(QColor(0, 128, 0), 2.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPolyline(QPolygonF({QPointF(3, 8.5), QPointF(6.5, 12), QPointF(13, 4)}));
        break;
    case Glyph::Cross:
        p.setPen(QPen(QColor(192, 0, 0), 2.4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(4, 4), QPointF(12, 12));
        p.drawLine(QPointF(12, 4), QPointF(4, 12));
        break;
    default: {
        const bool up = glyph == Glyph::First || glyph == Glyph::Prior;
        const bool bar = glyph == Glyph::First || glyph == Glyph::Last;
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(40, 40, 40));
        QPainterPath path;
        if (up) {
            path.moveTo(8, 4);
            path.lineTo(13, 11);
            path.lineTo(3, 11);
        } else {
            path.moveTo(3, 5);
            path.lineTo(13, 5);
            path.lineTo(8, 12);
        }
        path.closeSubpath();
        p.drawPath(path);
        if (bar)
            p.drawRect(up ? QRectF(3, 2, 10, 1.6) : QRectF(3, 12.6, 10, 1.6));
        break;
    }
    }
    return QIcon(pixmap);
}

} // namespace

// Follows the list data set to keep the actions' enabling current.
class TListForm::Watcher final : public IDataLink
{
public:
    explicit Watcher(TListForm& form)
        : m_form(form)
    {
    }
    void dataSetChanged() override { m_form.updateActions(); }
    void recordScrolled() override { m_form.updateActions(); }
    void stateChanged() override { m_form.updateActions(); }
    void dataSetDestroyed() override { m_form.updateActions(); }

private:
    TListForm& m_form;
};

// ---------------------------------------------------------------- TLookupForm

TLookupForm::TLookupForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
    , m_source(new TDataSource(this))
    , m_list(nullptr)
{
    setModal(true);
    setMinimumHeight(100);
    setMaximumHeight(300);
}

TLookupForm::~TLookupForm() = default;

// ---------------------------------------------------------------- TListForm

TListForm::TListForm(QWidget* parent)
    : TLookupForm(parent)
    , m_watcher(new Watcher(*this))
{
    setObjectName(QStringLiteral("ListForm"));
    resize(460, 169);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* panel = new QFrame(this);
    m_panel = panel;
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Raised);
    outer->addWidget(panel);
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->setSpacing(0);

    m_list = new TLookupList(panel);
    m_list->setObjectName(QStringLiteral("LookupList"));
    m_list->setReadOnly(true);
    m_list->setShowIndicator(true);
    m_list->setIndicatorWidth(11);
    m_list->setShowGrid(true);
    m_list->setLocEnabled(true);
    m_list->setLocCaseSensitive(false);
    m_list->horizontalHeader()->setSectionsClickable(true);
    m_list->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    {
        QPalette p = m_list->palette();
        p.setColor(QPalette::Base, p.color(QPalette::Button));
        m_list->setPalette(p);
    }
    m_list->setDataSource(m_source);
    m_list->OnIncrementLocate = [this](TField* field, const QString& key, TLocateOptions options,
                                       bool& find, bool isForward, bool isNext) {
        TDataSet* table = m_source->dataSet();
        find = table && LocateFieldText(*table, field, key, options, isForward, isNext, false);
    };
    layout->addWidget(m_list, 1);

    m_toolBar = new QToolBar(panel);
    m_toolBar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_toolBar->setIconSize(QSize(16, 16));
    m_toolBar->setMovable(false);
    m_toolBar->setFloatable(false);
    m_choose = m_toolBar->addAction(glyphIcon(Glyph::Check), QStringLiteral("Выбор"));
    m_choose->setToolTip(QStringLiteral("Выбор"));
    m_cancel = m_toolBar->addAction(glyphIcon(Glyph::Cross), QStringLiteral("Отмена"));
    m_cancel->setToolTip(QStringLiteral("Отмена"));
    m_useSeparator = m_toolBar->addSeparator();
    m_useSeparator->setVisible(false);
    m_navigatorSeparator = m_toolBar->addSeparator();
    m_list->setContextMenuPolicy(Qt::ActionsContextMenu);
    const auto navigator = [this](Glyph glyph, const QString& hint) {
        QAction* action = m_toolBar->addAction(glyphIcon(glyph), QString());
        action->setToolTip(hint);
        m_toolBar->widgetForAction(action)->setProperty("toolButtonStyle",
                                                        int(Qt::ToolButtonIconOnly));
        return action;
    };
    m_first = navigator(Glyph::First, QStringLiteral("Первая запись"));
    m_prior = navigator(Glyph::Prior, QStringLiteral("Предыдущая запись"));
    m_next = navigator(Glyph::Next, QStringLiteral("Следующая запись"));
    m_last = navigator(Glyph::Last, QStringLiteral("Последняя запись"));
    layout->addWidget(m_toolBar);

    connect(m_choose, &QAction::triggered, this, &TListForm::choose);
    connect(m_cancel, &QAction::triggered, this, &TListForm::cancelChoice);
    const auto move = [this](void (TDataSet::*step)()) {
        return [this, step] {
            try {
                if (TDataSet* table = m_source->dataSet(); table && table->active())
                    (table->*step)();
            } catch (...) {
                ShowApplicationError(std::current_exception());
            }
        };
    };
    connect(m_first, &QAction::triggered, this, move(&TDataSet::first));
    connect(m_prior, &QAction::triggered, this, move(&TDataSet::prior));
    connect(m_next, &QAction::triggered, this, move(&TDataSet::next));
    connect(m_last, &QAction::triggered, this, move(&TDataSet::last));
    connect(m_list->horizontalHeader(), &QHeaderView::sectionClicked, this,
            &TListForm::sortByColumn);
    m_source->addLink(m_watcher);
    updateActions();
}

TListForm::~TListForm()
{
    m_source->removeLink(m_watcher);
    delete m_watcher;
}

int TListForm::chromeHeight() const
{
    const QMargins margins = m_panel->layout()->contentsMargins();
    return m_toolBar->sizeHint().height() + margins.top() + margins.bottom() +
           2 * m_panel->frameWidth();
}

void TListForm::hideEvent(QHideEvent* event)
{
    TLookupForm::hideEvent(event);
    m_source->setDataSet(nullptr);
}

void TListForm::updateActions()
{
    const TDataSet* table = m_source->dataSet();
    const bool hasRows = table && table->active() && !table->isEmpty();
    m_choose->setEnabled(hasRows);
    m_first->setEnabled(hasRows && !table->bof());
    m_prior->setEnabled(hasRows && !table->bof());
    m_next->setEnabled(hasRows && !table->eof());
    m_last->setEnabled(hasRows && !table->eof());
}

void TListForm::setUseActions(const QList<QAction*>& toolBarActions,
                              const QList<QAction*>& menuActions)
{
    for (const QPointer<QAction>& action : std::as_const(m_useActions)) {
        if (action) {
            m_toolBar->removeAction(action);
            m_list->removeAction(action);
        }
    }
    m_useActions.clear();
    for (QAction* action : toolBarActions + menuActions)
        m_useActions.append(action);
    m_toolBar->insertActions(m_navigatorSeparator, toolBarActions);
    m_list->addActions(menuActions);
    m_useSeparator->setVisible(!toolBarActions.isEmpty());
}

void TListForm::choose()
{
    try {
        TDataSet* table = m_source->dataSet();
        if (!table || table->isEmpty())
            return;
        if (table->state() == TDataSetState::dsEdit || table->state() == TDataSetState::dsInsert)
            table->post();
        m_list->CloseUp(true);
    } catch (...) {
        ShowApplicationError(std::current_exception());
    }
}

void TListForm::cancelChoice()
{
    try {
        TDataSet* table = m_source->dataSet();
        if (table &&
            (table->state() == TDataSetState::dsEdit || table->state() == TDataSetState::dsInsert))
            table->cancel();
    } catch (...) {
        ShowApplicationError(std::current_exception());
    }
    m_list->CloseUp(false);
}

void TListForm::sortByColumn(int column)
{
    try {
        auto* table = dynamic_cast<TozMemoryData*>(m_source->dataSet());
        const TField* field = m_list->dataModel()->columnField(column);
        if (!table || !table->active() || !field)
            return;
        // The list field of the link is what identifies the highlighted row.
        const QString link = m_list->LookupLink();
        qsizetype sep = link.indexOf(QLatin1Char(','));
        if (sep < 0)
            sep = link.indexOf(QLatin1Char(';'));
        TField* listField = sep < 0 ? nullptr : table->findField(link.mid(sep + 1).trimmed());
        const QString noted = listField && !table->isEmpty() ? listField->asString() : QString();
        table->SortByFields(field->fieldName(), true, false);
        if (listField && !noted.isEmpty())
            LocateFieldText(*table, listField, noted, {}, true, false, true);
    } catch (...) {
        ShowApplicationError(std::current_exception());
    }
}

// ---------------------------------------------------------------- the single instance

TListForm* ListForm()
{
    return g_listForm;
}

TListForm* CreateListForm(QWidget* owner)
{
    if (!g_listForm)
        g_listForm = new TListForm(owner);
    return g_listForm;
}

TLookupList* PrepareListPicker(TDataSource* source, TDataSet* listDataSet,
                               const QString& lookupLink, const QString& listFields,
                               const QString& listTitles, bool editable, const QString& text,
                               TDataSet::TDataSetNotifyEvent beforePost)
{
    Q_UNUSED(text)
    TListForm* form = CreateListForm();
    TLookupList* list = form->lookupList();
    form->dataSource()->setDataSet(listDataSet);
    list->setEnabled(false);
    struct Enabler
    {
        TLookupList* list;
        ~Enabler() { list->setEnabled(true); }
    } enabler{list};
    if (listDataSet)
        listDataSet->open();
    list->setListFields(listFields);
    list->setListTitles(listTitles);
    list->setTargetSource(source);
    list->setLookupLink(lookupLink);
    list->setReadOnly(!editable);
    if (listDataSet && beforePost)
        listDataSet->BeforePost = std::move(beforePost);
    list->setBeginFind(true);
    form->setUseActions({}, {});
    return list;
}
