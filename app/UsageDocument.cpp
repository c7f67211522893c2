#include "app/UsageDocument.h"

namespace stubsetup {
namespace {

UsageLine Heading(const char *text)
{
    return {0, true, {{text, true, false}}};
}

UsageLine Plain(int indent, const char *text)
{
    return {indent, false, {{text, false, false}}};
}

UsageLine Italic(int indent, const char *text)
{
    return {indent, false, {{text, false, true}}};
}

UsageLine Empty()
{
    return {0, false, {}};
}

// "-name:" with the whole switch in bold.
UsageLine BoldOption(const char *option, const char *after)
{
    return {1, false, {{option, true, false}, {after, false, false}}};
}

// "-name:" with the name also in italics, as the options that take free
// values are set.
UsageLine EmphasisedOption(const char *name, const char *after)
{
    return {1, false, {{"-", true, false}, {name, true, true}, {after, false, false}}};
}

std::vector<UsageLine> BuildUsageDocument()
{
    return {
        Heading("Usage"),
        Plain(1, "stubsetup.exe -display _name_"),
        Plain(4, "-component _name_ "),
        Plain(4, "-revision _rev_ "),
        Italic(4, "-return _value_ "),
        Italic(4, "-message _foo_ "),
        Italic(4, "-sleep _N_ "),
        Italic(4, "-quiet _B_"),
        Italic(4, "-extractname _filename_"),
        Italic(4, "-extractcontents _contents_"),
        Empty(),
        Heading("Parameter Details"),
        BoldOption("-display", ":  "),
        Plain(2, "display name in installer (default is \"ORL Test Installer\")"),
        BoldOption("-component", ":  "),
        Plain(2, "name of component to update"),
        BoldOption("-revision", ":  "),
        Plain(2, "revision to update component to"),
        BoldOption("-return", ":  "),
        Plain(2, "ORL 2.1 return code for installer.  Valid values:"),
        Plain(3, "0 = Complete"),
        Plain(3, "1 = CompleteAfterReboot"),
        Plain(3, "2 = IncompleteTryAgain"),
        Plain(3, "3 = IncompleteRebootTryAgain"),
        Plain(3, "4 = IncompleteNeverWork"),
        EmphasisedOption("message", ": "),
        Plain(2, "\"some text\" (default is none)"),
        EmphasisedOption("sleep", ": "),
        Plain(2, "N = number of seconds installer should take to \"install\""),
        EmphasisedOption("quiet", ": "),
        Plain(2, "B = Should installer be silent?  If quiet = 1, no UI is displayed"),
        Plain(2, "    Default is 0 (display UI)"),
        EmphasisedOption("extractname", ": "),
        Plain(2, "relative filepath to be appended to current application installation"),
        Plain(3, "directory and then created by installer."),
        EmphasisedOption("extractcontents", ": "),
        Plain(2, "the text content to write into the filepath specified by extractname."),
        Plain(3, "If this is empty, the default contents are: \"Corvane Updater 4.0!\""),
        Plain(3, "(no quotes)."),
        Empty(),
        Heading("Updating Application Files"),
        {1,
         false,
         {{"Providing the ", false, false},
          {"extractname", true, true},
          {" option on the command line allows", false, false}}},
        Plain(0, "this test installer to update files relative to an application installation"),
        Plain(0, "directory.  The root application directory is the value stored in the"),
        Plain(0, "CorvaneOSVGlobalApps.xml file.  The value of extractname is appended to this"),
        Plain(0, "path and a file is created in that location.  The contents of the file are"),
        Plain(0, "either \"Corvane Updater 4.0!\" (no quotes) or if extractcontents is specified,"),
        Plain(0, "the value of that parameter."),
        Empty(),
        Plain(0, "No changes are made if an Application install path is not provided to the "
                 "installer."),
    };
}

} // namespace

std::string UsageLine::text() const
{
    std::string text;
    for (const UsageRun &run : runs)
        text += run.text;
    return text;
}

const std::vector<UsageLine> &UsageDocument()
{
    static const std::vector<UsageLine> document = BuildUsageDocument();
    return document;
}

} // namespace stubsetup
