// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/report_document.h"

#include <algorithm>
#include <array>
#include <initializer_list>
#include <string_view>

#include "calc/number_rules.h"
#include "report/report_links.h"
#include "report/windows1251.h"

namespace korvel {

namespace {

// The addresses go into the file as they are, so they must be plain ASCII.
constexpr bool IsAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}
static_assert(IsAscii(kAuthorSiteAddress) && IsAscii(kAuthorMailAddress));

// A catalogue text in Windows-1251, converted by the compiler.
struct FixedText {
    std::array<char, 64> bytes{};
    std::size_t size = 0;
    constexpr std::string_view View() const { return {bytes.data(), size}; }
};

constexpr FixedText Fixed(std::string_view utf8) {
    FixedText text;
    text.size = static_cast<std::size_t>(ConvertToWindows1251(utf8, text.bytes.data()) - text.bytes.data());
    return text;
}

struct SubstanceTexts {
    FixedText code;
    FixedText name;     // in the factor and totals tables
    FixedText section;  // heading of its G and M entries
};

// The sections name nitrogen dioxide in the plural; everything else is the
// catalogue's own wording.
constexpr std::string_view kPluralSection = "Азота диоксиды";

constexpr std::array<SubstanceTexts, kSubstanceCount> kSubstances = [] {
    std::array<SubstanceTexts, kSubstanceCount> texts{};
    for (std::size_t i = 0; i < kSubstanceCount; ++i) {
        const Substance& s = SubstanceCatalogue[i];
        texts[i] = {Fixed(s.code), Fixed(s.name), Fixed(s.code == "0301" ? kPluralSection : s.name)};
    }
    return texts;
}();

// The line after a G calculation: manganese's lacks the trailing blank.
constexpr std::string_view GClosing(std::size_t substance) {
    return SubstanceCatalogue[substance].code == "0143" ? "<br></p>" : "<br></p> ";
}

// The run's texts and numbers as the report writes them: texts converted
// once, numbers through PrintNumber.
struct ReportTexts {
    ReportTexts(const CalcInputs& in, const CalcResults& r, char separator)
        : sourceName(ToWindows1251(in.sourceName)),
          brand(ToWindows1251(in.brand)),
          yearly(ToWindows1251(in.yearlyConsumption)),
          hours(ToWindows1251(in.hours)),
          minutes(ToWindows1251(in.minutes)),
          days(ToWindows1251(in.workingDays)),
          hoursPerYear(ToWindows1251(in.hoursPerYear)),
          seconds(ToWindows1251(r.weldingSeconds)),
          daily(PrintNumber(r.dailyConsumption, separator)) {
        for (std::size_t i = 0; i < kSubstanceCount; ++i) {
            factor[i] = PrintNumber(r.factors[i].value_or(0.0), separator);
            max[i] = PrintNumber(r.maxEmission[i], separator);
            gross[i] = PrintNumber(r.grossEmission[i], separator);
        }
    }
    std::string sourceName, brand, yearly, hours, minutes, days, hoursPerYear, seconds, daily;
    std::array<std::string, kSubstanceCount> factor, max, gross;
};

// The document as a sequence of output statements.
class Document {
public:
    Document() { out_.reserve(8 * 1024); }

    // One statement: its pieces, then the line end.
    void Line(std::initializer_list<std::string_view> pieces) {
        Put(pieces);
        out_ += "\r\n";
    }
    // A statement that leaves its line open.
    void Put(std::initializer_list<std::string_view> pieces) {
        for (std::string_view piece : pieces) out_.append(piece);
    }
    std::string Take() { return std::move(out_); }

private:
    std::string out_;
};

// The body tag continues the line of "<TT>".
void Head(Document& doc) {
    doc.Line({"<HTML>"});
    doc.Line({Cp1251<"<HEAD><TITLE>Отчет по образующимся загрязняющим веществам</TITLE>">});
    doc.Line({"</HEAD>"});
    doc.Line({"<BODY>"});
    doc.Line({"<TABLE ALIGN=left Frame=noborder cellspacing=0>"});
    doc.Line({"<TD>"});
    doc.Put({"<TT>"});
    doc.Line({R"(<body bgcolor="#FFFFFF"text="#000000">)"});
    doc.Line({});
}

void Title(Document& doc, const ReportTexts& t) {
    doc.Line({Cp1251<R"(<P align=center><font face= "Times New Roman" size="4"<b>Источник выброса  -  )">, t.sourceName,
              "</b></P>"});
    doc.Line(
        {Cp1251<"<P align=CENTER><b>Расчет выброса загрязняющих веществ от сварочного участка "
                "<br>(дуговая электросварка)</b></P>">});
    doc.Line({Cp1251<"<P align=CENTER>Расчет производился по `Методике проведения инвентаризации выбросов<br>">});
    doc.Line({Cp1251<"загрязняющих веществ в атмосферу для авторемонтных предприятий<br>">});
    doc.Line({Cp1251<"(расчетным методом)`.М., 1998 Стр. 25 - 36<br></P>">});
}

void InputSummary(Document& doc, const ReportTexts& t, bool perYear) {
    doc.Line({Cp1251<"<P align=LEFT>Расход электродов марки ">, t.brand, Cp1251<" составляет - ">, t.yearly,
              Cp1251<" кг. в год.<br>">});
    if (perYear) {
        doc.Line(
            {Cp1251<"Участок работает ">, t.hoursPerYear, Cp1251<" часов в год или ">, t.seconds, Cp1251<" сек.<br>">});
        return;
    }
    doc.Line({Cp1251<"Время непрерывной сварки составляет - ">, t.hours, Cp1251<" час.">, t.minutes,
              Cp1251<" мин. или ">, t.seconds, Cp1251<" сек.<br>">});
    doc.Line({Cp1251<"Участок работает ">, t.days, Cp1251<" дн. в год<br>">});
    doc.Line({Cp1251<"Расход электродов в день составляет - ">, t.yearly, Cp1251<"кг.  / ">, t.days,
              Cp1251<"раб.дн в год = ">, t.daily, Cp1251<" кг.</p>">});
}

// The heading row of a bordered table: the opening lines, then one cell per column.
void TableHead(Document& doc, std::string_view align) {
    doc.Line({R"(<P align=left><font face="Times New Roman" size="0"><b>)"});
    doc.Line({"<TABLE ALIGN=", align, " Frame=border cellspacing=0>"});
    doc.Line({"<TR align=CENTER>"});
    doc.Line({Cp1251<"<TD>Код вещества">});
    doc.Line({Cp1251<"<TD>Наименование вещества">});
}

void FactorTable(Document& doc, const ReportTexts& t, const CalcResults& r) {
    doc.Line({"<TR><TD>"});
    doc.Line({Cp1251<R"(<P align=center><font face="Times New Roman" size="3"> Удельные выделения згрязняющих )"
                     "веществ от электродов<br> марки ">,
              t.brand, Cp1251<", г/кг (таблица 3.6.1 методики)</P>">});
    TableHead(doc, "center");
    doc.Line({Cp1251<"<TD>Удельное выделение зв, г/кг">});
    doc.Line({"</tr>"});
    for (std::size_t i = 0; i < kSubstanceCount; ++i) {
        if (r.grossEmission[i] == 0) continue;
        const SubstanceTexts& s = kSubstances[i];
        doc.Line({"<TR><TD>", s.code.View(), "<TD>", s.name.View(), "<TD align=CENTER>", t.factor[i]});
    }
    doc.Line({"</TABLE>"});
}

void OneOffLegend(Document& doc, bool perYear) {
    doc.Line({Cp1251<"<ul><li>где g - удельный показатель выделяемого загрязняющего вещества, г/кг">});
    if (!perYear) {
        doc.Line({Cp1251<"<li>    b - масса электродов израсходованных за день, кг">});
        doc.Line({Cp1251<"<li>    t - чистое время непрерывной сварки, сек</ul>">});
        return;
    }
    doc.Line({Cp1251<"<li>    b - масса израсходованных электродов, кг">});
    doc.Line({Cp1251<"<li>    t - время сварки, сек</ul>">});
    doc.Line(
        {Cp1251<"В данном расчете максимально-разовый выброс получен путем <br>прямого пересчета из "
                "валового выброса по общему времени работы.<br>">});
}

void OneOffSection(Document& doc, const ReportTexts& t, const CalcResults& r, bool perYear) {
    doc.Line({"<TR><TD>"});
    doc.Line({R"(<P align=center><font face="Times New Roman" size="4"></P>)"});
    doc.Line(
        {Cp1251<"<P align=LEFT><I><B>1.Максимально разовый выброс </B>загрязняющих веществ при сварке<br>"
                "рассчитывается по формуле:</I></P>">});
    doc.Line({Cp1251<"<P align=LEFT><I><B>G = (g x b)/t , г/сек</i> </B></P>">});
    OneOffLegend(doc, perYear);
    for (std::size_t i = 0; i < kSubstanceCount; ++i) {
        if (r.maxEmission[i] == 0) continue;
        doc.Line({"<P align=LEFT>", kSubstances[i].section.View(), "<br>"});
        doc.Line({"G = ", t.factor[i], Cp1251<" х ">, t.daily, " / ", t.seconds, " = ", t.max[i], "<br>"});
        doc.Line({GClosing(i)});
    }
}

void GrossSection(Document& doc, const ReportTexts& t, const CalcResults& r) {
    doc.Line(
        {Cp1251<"<P align=LEFT><I><B>2.Валовый выброс  </B>загрязняющих веществ при сварке рассчитывается "
                "<br>по формуле:</I></P>">});
    doc.Line({Cp1251<"<P align=LEFT><I><B>М = g x B x 10<sup>-6</sup> , т/год</i> </B></P>">});
    doc.Line({Cp1251<"<ul><li>где g - удельный показатель выделяемого загрязняющего вещества, г/кг">});
    doc.Line({Cp1251<"<li>    В - масса электродов израсходованных за год, кг</ul>">});
    for (std::size_t i = 0; i < kSubstanceCount; ++i) {
        if (r.grossEmission[i] == 0) continue;
        doc.Line({"<P align=LEFT>", kSubstances[i].section.View(), "<br>"});
        doc.Line({"M = ", t.factor[i], Cp1251<" х ">, t.yearly, " x 10<sup>-6</sup> = ", t.gross[i], "<br>"});
        doc.Line({"<br></p> "});
    }
}

void TotalsTable(Document& doc, const ReportTexts& t, const CalcResults& r) {
    doc.Line({"<TR><TD>"});
    doc.Line({Cp1251<R"(<P align=center><font face="Times New Roman" size="4"><b>Итого по источнику</b></P>)">});
    doc.Line({"<TR><TD>"});
    TableHead(doc, "left");
    doc.Line({Cp1251<"<TD>Максимально разовый выброс, г/сек">});
    doc.Line({Cp1251<"<TD>Валовый выброс, т/год</tr>">});
    for (std::size_t i = 0; i < kSubstanceCount; ++i) {
        if (r.grossEmission[i] == 0) continue;
        const SubstanceTexts& s = kSubstances[i];
        doc.Line({"<TR><TD>", s.code.View(), "<TD>", s.name.View(), "<TD>", t.max[i], "<TD>", t.gross[i]});
    }
    doc.Line({"</TABLE>"});
}

void Footer(Document& doc) {
    doc.Line({R"(<TR><TD bgcolor="#FFFF00">)"});
    doc.Line({R"(<P align=center><font face= "Times New Roman" size="3"<u><b>ver.1.01 beta 2003 </u></b></P>)"});
    doc.Line({R"(<TR><TD bgcolor="#00FFFF">)"});
    doc.Line({Cp1251<R"(<P align=left><font face= "Times New Roman" size="3"<b>)"
                     " * Клик правой кнопкой по полю отчета открывает контекстное меню, в котором<br>"
                     "предложены опции /печать/, /экспорт в Word/, /экспорт в Excel/ или в буфер обмена.<br>"
                     " ** При печати из отчета, по умолчанию используются текущие настройки печати Вашего "
                     "браузера.<br>"
                     "  *** Если не доступен экспорт, также проверьте соответствующие настройки интернет "
                     "браузера<br>"
                     "**** Большая просьба о найденных ошибках и других проблемах в работе программы сообщать "
                     "автору. </b></P>">});
    doc.Line({"<TR><TD>"});
    doc.Line({R"(<P align=center><b><font face="Verdana, Arial, Helvetica, sans-serif"><font color="#6699FF" )"
              R"(size="2"><a href=")",
              kAuthorSiteAddress,
              Cp1251<R"(" target="_self">Посетить сайт автора этой программы</a></font></font></b>)">});
    doc.Line({R"(<P align=center><b><font face="Verdana, Arial, Helvetica, sans-serif"><a href="mailto:)",
              kAuthorMailAddress,
              Cp1251<R"(?body=Мое мнение о программе korvel&subject=Автору сайта о ПДВ">Написать автору</a>)">});
    doc.Line({"</TT></PRE></FONT></body></HTML>"});
    doc.Line({"</TABLE>"});
}

}  // namespace

std::string BuildReport(const CalcInputs& in, const CalcResults& r, char separator) {
    const ReportTexts texts(in, r, separator);
    Document doc;
    Head(doc);
    Title(doc, texts);
    InputSummary(doc, texts, in.perYearMode);
    FactorTable(doc, texts, r);
    OneOffSection(doc, texts, r, in.perYearMode);
    GrossSection(doc, texts, r);
    TotalsTable(doc, texts, r);
    Footer(doc);
    return doc.Take();
}

}  // namespace korvel
