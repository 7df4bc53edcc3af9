#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Writes the expected report files of the worked example (the input window's
# defaults with "УОНИ 13/45"), typed line by line from the report's format,
# not produced by the program: daily mode and per-year mode ("502"), with the
# decimal comma and with the full stop. Lines below are UTF-8 with LF; the
# files are Windows-1251 with CR LF. Keep the trailing blanks of the
# "<br></p> " lines.
set -euo pipefail
cd "$(dirname "$0")"

document_head() {
cat <<'EOF'
<HTML>
<HEAD><TITLE>Отчет по образующимся загрязняющим веществам</TITLE>
</HEAD>
<BODY>
<TABLE ALIGN=left Frame=noborder cellspacing=0>
<TD>
<TT><body bgcolor="#FFFFFF"text="#000000">

<P align=center><font face= "Times New Roman" size="4"<b>Источник выброса  -  __________</b></P>
<P align=CENTER><b>Расчет выброса загрязняющих веществ от сварочного участка <br>(дуговая электросварка)</b></P>
<P align=CENTER>Расчет производился по `Методике проведения инвентаризации выбросов<br>
загрязняющих веществ в атмосферу для авторемонтных предприятий<br>
(расчетным методом)`.М., 1998 Стр. 25 - 36<br></P>
<P align=LEFT>Расход электродов марки УОНИ 13/45 составляет - 330 кг. в год.<br>
EOF
}

daily_summary() {
cat <<'EOF'
Время непрерывной сварки составляет - 1 час.15 мин. или 4500 сек.<br>
Участок работает 365 дн. в год<br>
Расход электродов в день составляет - 330кг.  / 365раб.дн в год =  0,9  кг.</p>
EOF
}

per_year_summary() {
cat <<'EOF'
Участок работает 502 часов в год или 1807200 сек.<br>
EOF
}

factor_table() {
cat <<'EOF'
<TR><TD>
<P align=center><font face="Times New Roman" size="3"> Удельные выделения згрязняющих веществ от электродов<br> марки УОНИ 13/45, г/кг (таблица 3.6.1 методики)</P>
<P align=left><font face="Times New Roman" size="0"><b>
<TABLE ALIGN=center Frame=border cellspacing=0>
<TR align=CENTER>
<TD>Код вещества
<TD>Наименование вещества
<TD>Удельное выделение зв, г/кг
</tr>
<TR><TD>0143<TD>Марганец и его соединения<TD align=CENTER> 0,92 
<TR><TD>0123<TD>Железа оксид<TD align=CENTER> 10,69 
<TR><TD>2908<TD>Пыль неорганическая, содержащая SiO2 (20 - 70%)<TD align=CENTER> 1,4 
<TR><TD>0344<TD>Фториды (в пересчете на F)<TD align=CENTER> 3,4 
<TR><TD>0342<TD>Фтористый водород<TD align=CENTER> 0,75 
<TR><TD>0301<TD>Азота диоксид<TD align=CENTER> 1,5 
<TR><TD>0337<TD>Углерода оксид<TD align=CENTER> 13,3 
</TABLE>
<TR><TD>
<P align=center><font face="Times New Roman" size="4"></P>
<P align=LEFT><I><B>1.Максимально разовый выброс </B>загрязняющих веществ при сварке<br>рассчитывается по формуле:</I></P>
<P align=LEFT><I><B>G = (g x b)/t , г/сек</i> </B></P>
EOF
}

daily_one_off() {
cat <<'EOF'
<ul><li>где g - удельный показатель выделяемого загрязняющего вещества, г/кг
<li>    b - масса электродов израсходованных за день, кг
<li>    t - чистое время непрерывной сварки, сек</ul>
<P align=LEFT>Марганец и его соединения<br>
G =  0,92  х  0,9  / 4500 =  0,000184 <br>
<br></p>
<P align=LEFT>Железа оксид<br>
G =  10,69  х  0,9  / 4500 =  0,002138 <br>
<br></p> 
<P align=LEFT>Пыль неорганическая, содержащая SiO2 (20 - 70%)<br>
G =  1,4  х  0,9  / 4500 =  0,00028 <br>
<br></p> 
<P align=LEFT>Фториды (в пересчете на F)<br>
G =  3,4  х  0,9  / 4500 =  0,00068 <br>
<br></p> 
<P align=LEFT>Фтористый водород<br>
G =  0,75  х  0,9  / 4500 =  0,00015 <br>
<br></p> 
<P align=LEFT>Азота диоксиды<br>
G =  1,5  х  0,9  / 4500 =  0,0003 <br>
<br></p> 
<P align=LEFT>Углерода оксид<br>
G =  13,3  х  0,9  / 4500 =  0,00266 <br>
<br></p> 
EOF
}

per_year_one_off() {
cat <<'EOF'
<ul><li>где g - удельный показатель выделяемого загрязняющего вещества, г/кг
<li>    b - масса израсходованных электродов, кг
<li>    t - время сварки, сек</ul>
В данном расчете максимально-разовый выброс получен путем <br>прямого пересчета из валового выброса по общему времени работы.<br>
<P align=LEFT>Марганец и его соединения<br>
G =  0,92  х  330  / 1807200 =  0,00016799 <br>
<br></p>
<P align=LEFT>Железа оксид<br>
G =  10,69  х  330  / 1807200 =  0,00195203 <br>
<br></p> 
<P align=LEFT>Пыль неорганическая, содержащая SiO2 (20 - 70%)<br>
G =  1,4  х  330  / 1807200 =  0,00025564 <br>
<br></p> 
<P align=LEFT>Фториды (в пересчете на F)<br>
G =  3,4  х  330  / 1807200 =  0,00062085 <br>
<br></p> 
<P align=LEFT>Фтористый водород<br>
G =  0,75  х  330  / 1807200 =  0,00013695 <br>
<br></p> 
<P align=LEFT>Азота диоксиды<br>
G =  1,5  х  330  / 1807200 =  0,0002739 <br>
<br></p> 
<P align=LEFT>Углерода оксид<br>
G =  13,3  х  330  / 1807200 =  0,00242862 <br>
<br></p> 
EOF
}

gross() {
cat <<'EOF'
<P align=LEFT><I><B>2.Валовый выброс  </B>загрязняющих веществ при сварке рассчитывается <br>по формуле:</I></P>
<P align=LEFT><I><B>М = g x B x 10<sup>-6</sup> , т/год</i> </B></P>
<ul><li>где g - удельный показатель выделяемого загрязняющего вещества, г/кг
<li>    В - масса электродов израсходованных за год, кг</ul>
<P align=LEFT>Марганец и его соединения<br>
M =  0,92  х 330 x 10<sup>-6</sup> =  0,0003036 <br>
<br></p> 
<P align=LEFT>Железа оксид<br>
M =  10,69  х 330 x 10<sup>-6</sup> =  0,0035277 <br>
<br></p> 
<P align=LEFT>Пыль неорганическая, содержащая SiO2 (20 - 70%)<br>
M =  1,4  х 330 x 10<sup>-6</sup> =  0,000462 <br>
<br></p> 
<P align=LEFT>Фториды (в пересчете на F)<br>
M =  3,4  х 330 x 10<sup>-6</sup> =  0,001122 <br>
<br></p> 
<P align=LEFT>Фтористый водород<br>
M =  0,75  х 330 x 10<sup>-6</sup> =  0,0002475 <br>
<br></p> 
<P align=LEFT>Азота диоксиды<br>
M =  1,5  х 330 x 10<sup>-6</sup> =  0,000495 <br>
<br></p> 
<P align=LEFT>Углерода оксид<br>
M =  13,3  х 330 x 10<sup>-6</sup> =  0,004389 <br>
<br></p> 
<TR><TD>
<P align=center><font face="Times New Roman" size="4"><b>Итого по источнику</b></P>
<TR><TD>
<P align=left><font face="Times New Roman" size="0"><b>
<TABLE ALIGN=left Frame=border cellspacing=0>
<TR align=CENTER>
<TD>Код вещества
<TD>Наименование вещества
<TD>Максимально разовый выброс, г/сек
<TD>Валовый выброс, т/год</tr>
EOF
}

daily_totals() {
cat <<'EOF'
<TR><TD>0143<TD>Марганец и его соединения<TD> 0,000184 <TD> 0,0003036 
<TR><TD>0123<TD>Железа оксид<TD> 0,002138 <TD> 0,0035277 
<TR><TD>2908<TD>Пыль неорганическая, содержащая SiO2 (20 - 70%)<TD> 0,00028 <TD> 0,000462 
<TR><TD>0344<TD>Фториды (в пересчете на F)<TD> 0,00068 <TD> 0,001122 
<TR><TD>0342<TD>Фтористый водород<TD> 0,00015 <TD> 0,0002475 
<TR><TD>0301<TD>Азота диоксид<TD> 0,0003 <TD> 0,000495 
<TR><TD>0337<TD>Углерода оксид<TD> 0,00266 <TD> 0,004389 
EOF
}

per_year_totals() {
cat <<'EOF'
<TR><TD>0143<TD>Марганец и его соединения<TD> 0,00016799 <TD> 0,0003036 
<TR><TD>0123<TD>Железа оксид<TD> 0,00195203 <TD> 0,0035277 
<TR><TD>2908<TD>Пыль неорганическая, содержащая SiO2 (20 - 70%)<TD> 0,00025564 <TD> 0,000462 
<TR><TD>0344<TD>Фториды (в пересчете на F)<TD> 0,00062085 <TD> 0,001122 
<TR><TD>0342<TD>Фтористый водород<TD> 0,00013695 <TD> 0,0002475 
<TR><TD>0301<TD>Азота диоксид<TD> 0,0002739 <TD> 0,000495 
<TR><TD>0337<TD>Углерода оксид<TD> 0,00242862 <TD> 0,004389 
EOF
}

footer() {
cat <<'EOF'
</TABLE>
<TR><TD bgcolor="#FFFF00">
<P align=center><font face= "Times New Roman" size="3"<u><b>ver.1.01 beta 2003 </u></b></P>
<TR><TD bgcolor="#00FFFF">
<P align=left><font face= "Times New Roman" size="3"<b> * Клик правой кнопкой по полю отчета открывает контекстное меню, в котором<br>предложены опции /печать/, /экспорт в Word/, /экспорт в Excel/ или в буфер обмена.<br> ** При печати из отчета, по умолчанию используются текущие настройки печати Вашего браузера.<br>  *** Если не доступен экспорт, также проверьте соответствующие настройки интернет браузера<br>**** Большая просьба о найденных ошибках и других проблемах в работе программы сообщать автору. </b></P>
<TR><TD>
<P align=center><b><font face="Verdana, Arial, Helvetica, sans-serif"><font color="#6699FF" size="2"><a href="https://korvel.example.org/" target="_self">Посетить сайт автора этой программы</a></font></font></b>
<P align=center><b><font face="Verdana, Arial, Helvetica, sans-serif"><a href="mailto:author@korvel.example.org?body=Мое мнение о программе korvel&subject=Автору сайта о ПДВ">Написать автору</a>
</TT></PRE></FONT></body></HTML>
</TABLE>
EOF
}

# UTF-8 with LF to Windows-1251 with CR LF.
encode() { iconv -f UTF-8 -t CP1251 | sed 's/$/\r/'; }
# The same document under regional settings with the full stop: only the
# separators inside numbers change.
full_stop() { sed 's/\([0-9]\),\([0-9]\)/\1.\2/g'; }

{ document_head; daily_summary; factor_table; daily_one_off; gross; daily_totals; footer; } > daily.utf8
{ document_head; per_year_summary; factor_table; per_year_one_off; gross; per_year_totals; footer; } > per_year.utf8
encode < daily.utf8 > worked_daily_comma.htm
encode < per_year.utf8 > worked_per_year_comma.htm
full_stop < daily.utf8 | encode > worked_daily_stop.htm
full_stop < per_year.utf8 | encode > worked_per_year_stop.htm
rm daily.utf8 per_year.utf8
