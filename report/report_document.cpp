// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/report_document.h"

#include <algorithm>
#include <array>
#include <initializer_list>
#include <string_view>

#include "report/report_links.h"
#include "report/windows1251.h"

namespace korvel {

namespace {

// The addresses go into the file as they are, so they must be plain ASCII.
constexpr bool IsAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}
static_assert(IsAscii(kAuthorSiteAddress) && IsAscii(kAuthorMailAddress));

// The report's own texts of the eight substances, in catalogue order, kept
// apart from the catalogue: the report names 0301 in the plural in its
// sections, and closes manganese's G entry without the trailing blank.
struct SubstanceTexts {
    std::string_view factorRow;    // before g in the factor table
    std::string_view sectionName;  // heading of a G or M entry
    std::string_view totalsRow;    // before G and M in the totals table
    std::string_view gClosing;     // the line after a G calculation
};

constexpr std::string_view kClosing = Cp1251<"<br></p> ">;

constexpr std::array<SubstanceTexts, kSubstanceCount> kSubstanceTexts{{
    {Cp1251<"<TR><TD>0143<TD>Марганец и его соединения<TD align=CENTER>">, Cp1251<"Марганец и его соединения<br>">,
     Cp1251<"<TR><TD>0143<TD>Марганец и его соединения<TD>">, Cp1251<"<br></p>">},
    {Cp1251<"<TR><TD>0123<TD>Железа оксид<TD align=CENTER>">, Cp1251<"Железа оксид<br>">,
     Cp1251<"<TR><TD>0123<TD>Железа оксид<TD>">, kClosing},
    {Cp1251<"<TR><TD>2908<TD>Пыль неорганическая, содержащая SiO2 (20 - 70%)<TD align=CENTER>">,
     Cp1251<"Пыль неорганическая, содержащая SiO2 (20 - 70%)<br>">,
     Cp1251<"<TR><TD>2908<TD>Пыль неорганическая, содержащая SiO2 (20 - 70%)<TD>">, kClosing},
    {Cp1251<"<TR><TD>0344<TD>Фториды (в пересчете на F)<TD align=CENTER>">, Cp1251<"Фториды (в пересчете на F)<br>">,
     Cp1251<"<TR><TD>0344<TD>Фториды (в пересчете на F)<TD>">, kClosing},
    {Cp1251<"<TR><TD>0203<TD>Хром шестивалентный<TD align=CENTER>">, Cp1251<"Хром шестивалентный<br>">,
     Cp1251<"<TR><TD>0203<TD>Хром шестивалентный<TD>">, kClosing},
    {Cp1251<"<TR><TD>0342<TD>Фтористый водород<TD align=CENTER>">, Cp1251<"Фтористый водород<br>">,
     Cp1251<"<TR><TD>0342<TD>Фтористый водород<TD>">, kClosing},
    {Cp1251<"<TR><TD>0301<TD>Азота диоксид<TD align=CENTER>">, Cp1251<"Азота диоксиды<br>">,
     Cp1251<"<TR><TD>0301<TD>Азота диоксид<TD>">, kClosing},
    {Cp1251<"<TR><TD>0337<TD>Углерода оксид<TD align=CENTER>">, Cp1251<"Углерода оксид<br>">,
     Cp1251<"<TR><TD>0337<TD>Углерода оксид<TD>">, kClosing},
}};

// Room for the fixed texts and the numbers of the longest report (all eight
// substances, every number 24 characters); the run's texts are added on top,
// each counted as often as it is written. Windows-1251 is never longer than
// the UTF-8 it comes from.
constexpr std::size_t kFixedCapacity = 8192;

// The PrintNumber texts of one report, rendered once into one buffer: b is
// written in up to eight G lines, each g, G and M twice or three times.
class NumberTexts {
public:
    NumberTexts(const CalcResults& r, char separator) {
        buffer_.reserve(kCount * 26);
        Add(kDaily, r.dailyConsumption, separator);
        for (std::size_t i = 0; i < kSubstanceCount; ++i) {
            Add(kFactor + i, r.factors[i].value_or(0.0), separator);
            Add(kMax + i, r.maxEmission[i], separator);
            Add(kGross + i, r.grossEmission[i], separator);
        }
    }
    std::string_view Daily() const { return Get(kDaily); }
    std::string_view Factor(std::size_t i) const { return Get(kFactor + i); }
    std::string_view Max(std::size_t i) const { return Get(kMax + i); }
    std::string_view Gross(std::size_t i) const { return Get(kGross + i); }

private:
    static constexpr std::size_t kDaily = 0, kFactor = 1, kMax = kFactor + kSubstanceCount,
                                 kGross = kMax + kSubstanceCount, kCount = kGross + kSubstanceCount;
    void Add(std::size_t slot, double value, char separator) {
        const std::size_t begin = buffer_.size();
        AppendPrintNumber(buffer_, value, separator);
        spans_[slot] = {begin, buffer_.size() - begin};
    }
    std::string_view Get(std::size_t slot) const {
        return std::string_view(buffer_).substr(spans_[slot].first, spans_[slot].second);
    }
    std::string buffer_;
    std::array<std::pair<std::size_t, std::size_t>, kCount> spans_{};
};

class Document {
public:
    explicit Document(std::size_t capacity) { out_.reserve(capacity); }

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

}  // namespace

std::string BuildReport(const CalcInputs& in, const CalcResults& r, char separator) {
    // The run's texts, each converted once however often it is written.
    const std::string sourceName = ToWindows1251(in.sourceName);
    const std::string brand = ToWindows1251(in.brand);
    const std::string yearly = ToWindows1251(in.yearlyConsumption);
    const std::string hours = ToWindows1251(in.hours);
    const std::string minutes = ToWindows1251(in.minutes);
    const std::string days = ToWindows1251(in.workingDays);
    const std::string hoursPerYear = ToWindows1251(in.hoursPerYear);
    const std::string seconds = ToWindows1251(r.weldingSeconds);
    const NumberTexts num(r, separator);

    const bool daily = !in.perYearMode;
    Document doc(kFixedCapacity + sourceName.size() + 2 * brand.size() + (2 + kSubstanceCount) * yearly.size() +
                 hours.size() + minutes.size() + 2 * days.size() + hoursPerYear.size() +
                 (1 + kSubstanceCount) * seconds.size());

    // Document head. The body tag continues the line of "<TT>".
    doc.Line({"<HTML>"});
    doc.Line({Cp1251<"<HEAD><TITLE>Отчет по образующимся загрязняющим веществам</TITLE>">});
    doc.Line({"</HEAD>"});
    doc.Line({"<BODY>"});
    doc.Line({"<TABLE ALIGN=left Frame=noborder cellspacing=0>"});
    doc.Line({"<TD>"});
    doc.Put({"<TT>"});
    doc.Line({R"(<body bgcolor="#FFFFFF"text="#000000">)"});
    doc.Line({});

    // Title block.
    doc.Line({Cp1251<R"(<P align=center><font face= "Times New Roman" size="4"<b>Источник выброса  -  )">, sourceName,
              "</b></P>"});
    doc.Line(
        {Cp1251<"<P align=CENTER><b>Расчет выброса загрязняющих веществ от сварочного участка "
                "<br>(дуговая электросварка)</b></P>">});
    doc.Line({Cp1251<"<P align=CENTER>Расчет производился по `Методике проведения инвентаризации выбросов<br>">});
    doc.Line({Cp1251<"загрязняющих веществ в атмосферу для авторемонтных предприятий<br>">});
    doc.Line({Cp1251<"(расчетным методом)`.М., 1998 Стр. 25 - 36<br></P>">});

    // Input summary.
    doc.Line({Cp1251<"<P align=LEFT>Расход электродов марки ">, brand, Cp1251<" составляет - ">, yearly,
              Cp1251<" кг. в год.<br>">});
    if (daily) {
        doc.Line({Cp1251<"Время непрерывной сварки составляет - ">, hours, Cp1251<" час.">, minutes,
                  Cp1251<" мин. или ">, seconds, Cp1251<" сек.<br>">});
        doc.Line({Cp1251<"Участок работает ">, days, Cp1251<" дн. в год<br>">});
        doc.Line({Cp1251<"Расход электродов в день составляет - ">, yearly, Cp1251<"кг.  / ">, days,
                  Cp1251<"раб.дн в год = ">, num.Daily(), Cp1251<" кг.</p>">});
    } else {
        doc.Line(
            {Cp1251<"Участок работает ">, hoursPerYear, Cp1251<" часов в год или ">, seconds, Cp1251<" сек.<br>">});
    }

    // Factor table.
    doc.Line({"<TR><TD>"});
    doc.Line({Cp1251<R"(<P align=center><font face="Times New Roman" size="3"> Удельные выделения згрязняющих )"
                     "веществ от электродов<br> марки ">,
              brand, Cp1251<", г/кг (таблица 3.6.1 методики)</P>">});
    doc.Line({R"(<P align=left><font face="Times New Roman" size="0"><b>)"});
    doc.Line({"<TABLE ALIGN=center Frame=border cellspacing=0>"});
    doc.Line({"<TR align=CENTER>"});
    doc.Line({Cp1251<"<TD>Код вещества">});
    doc.Line({Cp1251<"<TD>Наименование вещества">});
    doc.Line({Cp1251<"<TD>Удельное выделение зв, г/кг">});
    doc.Line({"</tr>"});
    for (std::size_t i = 0; i < kSubstanceCount; ++i) {
        if (r.grossEmission[i] != 0) doc.Line({kSubstanceTexts[i].factorRow, num.Factor(i)});
    }
    doc.Line({"</TABLE>"});

    // One-off emission section.
    doc.Line({"<TR><TD>"});
    doc.Line({R"(<P align=center><font face="Times New Roman" size="4"></P>)"});
    doc.Line(
        {Cp1251<"<P align=LEFT><I><B>1.Максимально разовый выброс </B>загрязняющих веществ при сварке<br>"
                "рассчитывается по формуле:</I></P>">});
    doc.Line({Cp1251<"<P align=LEFT><I><B>G = (g x b)/t , г/сек</i> </B></P>">});
    if (daily) {
        doc.Line({Cp1251<"<ul><li>где g - удельный показатель выделяемого загрязняющего вещества, г/кг">});
        doc.Line({Cp1251<"<li>    b - масса электродов израсходованных за день, кг">});
        doc.Line({Cp1251<"<li>    t - чистое время непрерывной сварки, сек</ul>">});
    } else {
        doc.Line({Cp1251<"<ul><li>где g - удельный показатель выделяемого загрязняющего вещества, г/кг">});
        doc.Line({Cp1251<"<li>    b - масса израсходованных электродов, кг">});
        doc.Line({Cp1251<"<li>    t - время сварки, сек</ul>">});
        doc.Line(
            {Cp1251<"В данном расчете максимально-разовый выброс получен путем <br>прямого пересчета из "
                    "валового выброса по общему времени работы.<br>">});
    }
    for (std::size_t i = 0; i < kSubstanceCount; ++i) {
        if (r.maxEmission[i] == 0) continue;
        doc.Line({"<P align=LEFT>", kSubstanceTexts[i].sectionName});
        doc.Line({"G = ", num.Factor(i), Cp1251<" х ">, num.Daily(), " / ", seconds, " = ", num.Max(i), "<br>"});
        doc.Line({kSubstanceTexts[i].gClosing});
    }

    // Gross emission section.
    doc.Line(
        {Cp1251<"<P align=LEFT><I><B>2.Валовый выброс  </B>загрязняющих веществ при сварке рассчитывается "
                "<br>по формуле:</I></P>">});
    doc.Line({Cp1251<"<P align=LEFT><I><B>М = g x B x 10<sup>-6</sup> , т/год</i> </B></P>">});
    doc.Line({Cp1251<"<ul><li>где g - удельный показатель выделяемого загрязняющего вещества, г/кг">});
    doc.Line({Cp1251<"<li>    В - масса электродов израсходованных за год, кг</ul>">});
    for (std::size_t i = 0; i < kSubstanceCount; ++i) {
        if (r.grossEmission[i] == 0) continue;
        doc.Line({"<P align=LEFT>", kSubstanceTexts[i].sectionName});
        doc.Line({"M = ", num.Factor(i), Cp1251<" х ">, yearly, " x 10<sup>-6</sup> = ", num.Gross(i), "<br>"});
        doc.Line({kClosing});
    }

    // Totals table.
    doc.Line({"<TR><TD>"});
    doc.Line({Cp1251<R"(<P align=center><font face="Times New Roman" size="4"><b>Итого по источнику</b></P>)">});
    doc.Line({"<TR><TD>"});
    doc.Line({R"(<P align=left><font face="Times New Roman" size="0"><b>)"});
    doc.Line({"<TABLE ALIGN=left Frame=border cellspacing=0>"});
    doc.Line({"<TR align=CENTER>"});
    doc.Line({Cp1251<"<TD>Код вещества">});
    doc.Line({Cp1251<"<TD>Наименование вещества">});
    doc.Line({Cp1251<"<TD>Максимально разовый выброс, г/сек">});
    doc.Line({Cp1251<"<TD>Валовый выброс, т/год</tr>">});
    for (std::size_t i = 0; i < kSubstanceCount; ++i) {
        if (r.grossEmission[i] != 0) doc.Line({kSubstanceTexts[i].totalsRow, num.Max(i), "<TD>", num.Gross(i)});
    }
    doc.Line({"</TABLE>"});

    // Footer.
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
    return doc.Take();
}

}  // namespace korvel
