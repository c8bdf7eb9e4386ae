// usb_printer_list: the USB printers among the attached USB devices, with
// name (product and serial number) and maker.
#include <stdio.h>
#include <string.h>

#include "frame.h"
#include "lan_table.h"
#include "out.h"
#include "page_parts.h"
#include "store.h"

namespace {

// USB string descriptors hold at most 126 characters.
using Text = char[128];

void print_start()
{
    frame_header();
    fputs("<html><head><meta http-equiv='content-type' content='text/html;charset=iso-8859-1'>"
          "<link rel=\"stylesheet\" href=\"../control.css\" type=\"text/css\">\n"
          "<style type=\"text/css\">.main {font-family: Verdana, Arial, Helvetica, sans-serif; "
          "font-size: 11px; font-weight: normal; color: #000000; margin: 0px; "
          "background-attachment: fixed; background-image:none;}</style>\n"
          "</head>\n"
          "<script type=\"text/javascript\" src=\"../Multi_Language.js\" ></script>\n"
          "<script language=\"JavaScript\">\n"
          "function Multi_Language(Index,flag)\n"
          "{\n"
          "language_Index=parseInt(Index);\n"
          "document.getElementById(\"PS_Name\").innerHTML = PS_Name[language_Index];\n"
          "document.getElementById(\"PS_Model\").innerHTML = PS_Model[language_Index];\n"
          "}\n"
          "</script><body class=\"main\"><table id=\"CgiInnerTable\" width=\"100%\" border=\"1\" "
          "align=\"center\" cellpadding=\"1\" cellspacing=\"0\" bordercolor=\"#FFFFFF\"><tr>\n"
          "<td width=\"4%\" align=\"center\" class=\"tableTitle\">#</td>\n"
          "<td width=\"48%\" align=\"center\" class=\"tableTitle\"><span id='PS_Name'></span></td>\n"
          "<td width=\"48%\" align=\"center\" class=\"tableTitle\"><span id='PS_Model'></span></td>\n",
          stdout);
}

bool is_printer(const char *node)
{
    char driver[16];
    return store_get(node, "Driver", driver, sizeof driver) == WYAPI_OK &&
           strncmp(driver, "usblp", 5) == 0;
}

} // namespace

int main()
{
    print_start();
    int found = 0;
    for (int i = 0; i < kFixedSlots; ++i) {
        char node[40];
        snprintf(node, sizeof node, "UsbDeviceInfo_Entry%d", i);
        if (!is_printer(node))
            continue;
        Text maker, product, serial;
        store_get_or(node, "Manufacturer", maker, sizeof maker, "Unknown");
        store_get_or(node, "Product", product, sizeof product, "USB Printer");
        // Product, then "_" and the serial number when the device has one.
        char name[sizeof(Text) * 2 + 1];
        if (store_get(node, "SerialNumber", serial, sizeof serial) == WYAPI_OK && serial[0] &&
            strcmp(serial, "N/A") != 0)
            snprintf(name, sizeof name, "%s_%s", product, serial);
        else
            snprintf(name, sizeof name, "%s", product);
        ++found;
        printf("<tr class=\"tabcolor%d\">", row_class_by_index(i));
        html_out("<td align=\"center\" ><strong>%d</strong></td><td align=\"center\" >%s</td>"
                 "<td align=\"center\" >%s - %s</td></tr>\n",
                 found, name, maker, product);
    }
    frame_footer(frame_language_index());
    return 0;
}
