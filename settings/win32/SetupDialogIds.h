// Resource identifiers of the setup dialog, shared by its template and its code.
#pragma once

#define IDD_TFCONFIG 2000
#define IDI_PICKWINDOW 2001

#define IDC_TGUID 2010
#define IDC_APLICACION 2011
#define IDC_SPEEDBUTTON2 2012
#define IDC_TINACT 2013
#define IDC_INFOT 2014
#define IDC_MAXACT 2015
#define IDC_CHECKBOX1 2016
#define IDC_CHECKSENDKEYS 2017
#define IDC_RADIOOPT0 2018
#define IDC_RADIOOPT1 2019
#define IDC_RADIOOPT2 2020
#define IDC_CHECKCLOSEKILL 2021
#define IDC_RUNSTUP 2022

/* Static texts whose look the dialog sets: headings, their rules, the small note. */
#define IDC_HEADING_BASIC 2030
#define IDC_HEADING_ADVANCED 2031
#define IDC_HEADING_STARTUP 2032
#define IDC_RULE_BASIC 2033
#define IDC_RULE_ADVANCED 2034
#define IDC_RULE_STARTUP 2035
#define IDC_KILLNOTE 2036
#define IDC_POLICYNOTE 2037
