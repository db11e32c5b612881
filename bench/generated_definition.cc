#include "bench/generated_definition.h"

namespace zan::bench {
namespace {

// The sections of an imagined portal whose toolbar the generated file is.
constexpr const char* kSections[] = {"news",     "weather", "sports", "finance",
                                     "travel",   "music",   "video",  "maps",
                                     "shopping", "images"};

}  // namespace

// Modelled on the shipped ZAN.tbd: per section a button with a split menu
// of headlines and a submenu, a search box, a separator and a side pane,
// and three commands whose addresses carry the usual query parameters.
std::string GeneratedDefinition(std::size_t size) {
  std::string items;
  std::string commands;
  for (int i = 0; items.size() + commands.size() < size; ++i) {
    const std::string n = std::to_string(i);
    const std::string section = kSections[i % 10];
    const std::string site = "https://" + section + ".example.com";
    items += "\tBUTTON {\n\t\tcaption=\"" + section + " " + n +
             "\"\n\t\thint=\"Open the " + section +
             " page of the portal in this window\"\n\t\tcommand=\"Open" + n +
             "\"\n\t\timage=\"" + std::to_string(i % 19) +
             "\"\n\t\tMENU {\n\t\t\ttype=\"Split\"\n";
    for (int k = 0; k < 5; ++k) {
      const std::string topic = kSections[(i + k) % 10];
      items += "\t\t\tMENUITEM { caption=\"Latest " + topic +
               " headlines\" hint=\"Show today's " + topic +
               " stories from the " + section + " desk\" command=\"Open" + n +
               "\" image=\"" + std::to_string(k) + "\" }\n";
    }
    items += "\t\t\tMENUSEPARATOR\n\t\t\tSUBMENU {\n\t\t\t\tcaption=\"More " +
             section + "\"\n\t\t\t\tMENUITEM { caption=\"" + section +
             " archive\" hint=\"Browse the \\\"" + section +
             "\\\" archive by date\" command=\"Archive" + n +
             "\" }\n\t\t\t}\n\t\t}\n\t}\n";
    items += "\tCOMBO {\n\t\tname=\"box" + n + "\"\n\t\tcaption=\"Search " +
             section + ":\"\n\t\thint=\"Type the words to search for in " +
             section + " and press Enter\"\n\t\tcommand=\"Search" + n +
             "\"\n\t\twidth=\"60\"\n\t\tmaxchars=\"256\"\n\t\tmaxhistlines="
             "\"20\"\n\t}\n";
    items += "\tSEPARATOR\n\tWEBPAGE { name=\"pane" + n + "\" url=\"" + site +
             "/toolbar/pane.html?page=%url&domain=%domain&lang=en&v=" + n +
             "\" width=\"200\" border=\"1\" }\n";
    commands += "\t\tGOTOURL { name=\"Open" + n + "\" url=\"" + site +
                "/index.html?src=toolbar&ref=%domain&lang=en&v=" + n + "\" }\n";
    commands += "\t\tGOTOURL { name=\"Search" + n + "\" url=\"" + site +
                "/search?q=%box" + n +
                "&src=toolbar&client=zan&ie=utf-8&oe=utf-8&r=%rndhex8%\" "
                "target=\"_self\" }\n";
    commands += "\t\tGOTOURL { name=\"Archive" + n + "\" url=\"POST!" + site +
                "/archive\" post=\"q=%box" + n +
                "&from=toolbar&sort=date\" newwindow=\"New\" }\n";
  }
  return "RYX_Toolbar {\n\timage=\"tbil.bmp\"\n\thotimage=\"tbhotil.bmp\"\n\n" +
         items +
         "\tINDICATOR { type=\"POP3\" command=\"CheckMail\" image=\"5\" "
         "addimg1=\"6\" addimg2=\"7\" addimg3=\"8\" param1=\"No new mail\" }\n"
         "\tCOMMANDS {\n" +
         commands +
         "\t\tSERVICECOMMAND { name=\"CheckMail\" type=\"CheckMail\" }\n"
         "\t}\n}\n";
}

}  // namespace zan::bench
