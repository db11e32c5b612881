/* The reference recogniser of the definition language, for the benchmarks:
   an LALR(1) grammar without semantic actions. */
%define api.prefix {ref}
%define api.token.prefix {T_}
%expect 0

%code {
#include <cstdio>

int reflex();
void referror(const char* message) {
  std::fprintf(stderr, "Syntax error: %s\n", message);
}
}

%token LBRACE RBRACE EQUALS STRING CHAR
%token RYX_TOOLBAR BUTTON TEXT COMBO COMBOVALUE WEBPAGE INDICATOR SEPARATOR
%token MENU MENUITEM SUBMENU MENUSEPARATOR COMMANDS GOTOURL SHELLEXECUTE
%token SERVICECOMMAND
%token CAPTION IMAGE HOTIMAGE COMMAND HINT TYPE NAME WIDTH MAXCHARS
%token MAXHISTLINES PASSWORD VALUE URL BORDER POST TARGET OPTIONS NEWWINDOW
%token SHELLCMD FAILMSG LOCTYPE LOCATION CLSID UUID COMPANY ADDIMG PARAM

%%

file: RYX_TOOLBAR LBRACE toolbar_properties items RBRACE ;

toolbar_properties: %empty | toolbar_properties toolbar_name EQUALS STRING ;
toolbar_name: CLSID | UUID | NAME | IMAGE | HOTIMAGE | COMPANY ;

items: %empty | items item ;
item: COMBO LBRACE combo_properties combo_values RBRACE
    | TEXT LBRACE plain_properties RBRACE
    | BUTTON LBRACE button_properties RBRACE
    | BUTTON LBRACE button_properties menu RBRACE
    | WEBPAGE LBRACE webpage_properties RBRACE
    | COMMANDS LBRACE commands RBRACE
    | INDICATOR LBRACE indicator_properties RBRACE
    | SEPARATOR LBRACE plain_properties RBRACE
    | SEPARATOR
    ;

plain_properties: %empty | plain_properties plain_name EQUALS STRING ;
plain_name: CAPTION | COMMAND | HINT | IMAGE ;

combo_properties: combo_property | combo_properties combo_property ;
combo_property: combo_name EQUALS STRING ;
combo_name: MAXCHARS | MAXHISTLINES | NAME | WIDTH | CAPTION | TYPE | PASSWORD
          | COMMAND | HINT ;
combo_values: %empty
            | combo_values COMBOVALUE LBRACE value_properties RBRACE ;
value_properties: value_property | value_properties value_property ;
value_property: value_name EQUALS STRING ;
value_name: CAPTION | VALUE ;

webpage_properties: webpage_property | webpage_properties webpage_property ;
webpage_property: webpage_name EQUALS STRING ;
webpage_name: URL | NAME | BORDER | WIDTH ;

button_properties: %empty | button_properties button_property ;
button_property: button_name EQUALS STRING | image_block ;
button_name: COMMAND | CAPTION | IMAGE | HINT ;

menu: MENU LBRACE menu_properties RBRACE
    | MENU LBRACE menu_entries RBRACE
    | MENU LBRACE menu_properties menu_entries RBRACE
    ;
menu_properties: menu_property | menu_properties menu_property ;
menu_property: menu_name EQUALS STRING ;
menu_name: CAPTION | COMMAND | TYPE | HINT | IMAGE | HOTIMAGE ;
menu_entries: menu_entry | menu_entries menu_entry ;
menu_entry: SUBMENU LBRACE entry_properties menu_entries RBRACE
          | MENUITEM LBRACE entry_properties RBRACE
          | MENUSEPARATOR
          ;
entry_properties: %empty | entry_properties entry_property ;
entry_property: entry_name EQUALS STRING | image_block ;
entry_name: HINT | COMMAND | IMAGE | CAPTION | TYPE ;

image_block:
    IMAGE LBRACE LOCTYPE EQUALS STRING LOCATION EQUALS STRING RBRACE
  | IMAGE LBRACE LOCATION EQUALS STRING LOCTYPE EQUALS STRING RBRACE
  ;

indicator_properties: %empty | indicator_properties indicator_name EQUALS STRING ;
indicator_name: COMMAND | TYPE | CAPTION | IMAGE | ADDIMG | PARAM ;

commands: command | commands command ;
command: GOTOURL LBRACE goto_properties RBRACE
       | SERVICECOMMAND LBRACE service_properties RBRACE
       | SHELLEXECUTE LBRACE shell_properties RBRACE
       ;
goto_properties: goto_property | goto_properties goto_property ;
goto_property: goto_name EQUALS STRING ;
goto_name: NAME | URL | POST | TARGET | OPTIONS | NEWWINDOW ;
service_properties: service_property | service_properties service_property ;
service_property: service_name EQUALS STRING ;
service_name: NAME | TYPE | CAPTION ;
shell_properties: shell_property | shell_properties shell_property ;
shell_property: shell_name EQUALS STRING ;
shell_name: NAME | SHELLCMD | FAILMSG ;
