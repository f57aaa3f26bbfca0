#pragma once

#include <utility>

#include <QString>
#include <QStringList>
#include <QtGlobal>

#include "ozMemoryData.h"

class TDM;
struct TTerritory;

// The organisation card without its window: the single row of PrTable (the
// reporting organisation), the federal subject it lies in and its district or
// city, the single row of spisokkr. The organisation code KOD is composed of
// the INN part (at least 8 characters) and the subdivision code, typed into
// two edits of their own. Only Save writes the files ("B0002.xml",
// "spisokkr.xml"); the card row's unsaved changes are dropped when the card
// is destroyed, the region row stays as chosen. The window and f2tp-cli
// drive one of these.
class TOrganisationCard final
{
public:
    static constexpr int MinInnLength = 8;

    // Opens the card row (a new one is inserted when there is none), the
    // federal subjects of the program folder and the region row; selects the
    // subject of the region row and splits KOD into the two code edits.
    explicit TOrganisationCard(TDM& dm);
    ~TOrganisationCard();
    Q_DISABLE_COPY_MOVE(TOrganisationCard)

    // The INN part: the text trimmed. The subdivision code: the text trimmed
    // when it reads as a 64-bit integer other than 0, else empty.
    static QString InnPart(const QString& text);
    static QString SubdivisionCode(const QString& text);
    // KOD split back into the INN part and the subdivision code: the INN part
    // is the length of INN when KOD begins with a non-empty INN, else 8.
    static std::pair<QString, QString> SplitKod(const QString& kod, const QString& inn);

    // The card's columns a person types into, in the card's order.
    static const QStringList& Columns();
    // The columns that take only the digits 0 to 9 (INN, OKPO, OKOH1, OKCM, KOPF, KFS).
    static bool DigitsOnly(const QString& fieldName);
    // What typing the text into the column leaves: the digits alone for a
    // digits-only column, the text itself otherwise.
    static QString TypedText(const QString& fieldName, const QString& text);

    // The federal subjects ("klobl.xml", sorted by name; empty when missing).
    TozMemoryData& OblDS() { return m_oblDS; }
    // The subject chosen in "Субъект РФ"; empty while none is.
    const QString& selectedKobl() const { return m_kobl; }
    QString selectedSubjectName();
    // Selects the subject; false (the selection unchanged) when it is not listed.
    bool selectKobl(const QString& kobl);
    // VubAct is enabled while a subject is selected.
    bool VubActEnabled() const { return !m_kobl.isEmpty(); }

    // The two code edits. Setting a text counts as typing it.
    const QString& innPartText() const { return m_innPartText; }
    const QString& subdivisionText() const { return m_subdivisionText; }
    void setInnPartText(const QString& text);
    void setSubdivisionText(const QString& text);
    bool kodChanged() const { return m_kodChanged; }
    // The texts of both edits as shown, not counting as typed (the window
    // keeps them in step with its edits).
    void setCodeTexts(const QString& innPart, const QString& subdivision);

    // Leaving a code edit: a changed INN part shorter than 8 characters shows
    // "Неверный код" in the application's error display and stays changed
    // (false); otherwise both edits show their normalised texts, an empty INN
    // takes the INN part, and the edits count as unchanged.
    bool KodEditExit();

    // Types the text into a card column as its edit does: the card row enters
    // editing, the digits-only rule applies, then the field's own text rule.
    // Fails with the field's error; an unknown column fails with
    // "PrTable: Поле '<name>' не найдено".
    void setFieldText(const QString& fieldName, const QString& text);

    // "Сохранить": KOD := INN part + subdivision code, both rows posted and
    // written. Refused ("Неверный код предприятия") or failed (the error's
    // message) it shows the error box, leaves the files as they were and
    // returns false.
    bool Save();
    // "Отмена" and every other way of closing: the card row's pending edit is
    // dropped; the region row is not touched.
    void Cancel() noexcept;

    // A territory chosen in the pickers becomes the region row at once, and
    // its ОКАТО goes into the card row (kept by Save, dropped by Cancel).
    void ChooseTerritory(const TTerritory& territory);

private:
    void Open();

    TDM& m_dm;
    TozMemoryData m_oblDS{QStringLiteral("OblDS")};
    QString m_kobl;
    QString m_innPartText;
    QString m_subdivisionText;
    bool m_kodChanged = false;
};
