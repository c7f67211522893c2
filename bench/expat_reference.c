/* The reader's yardstick: raw expat fed the file in the same 1024-byte pieces
 * as XmlReader, with callbacks that do nothing. */
#include "BenchClock.h"

#include <expat.h>
#include <stdio.h>

static void XMLCALL onStart(void *data, const XML_Char *name, const XML_Char **attributes)
{
    (void)data, (void)name, (void)attributes;
}

static void XMLCALL onEnd(void *data, const XML_Char *name)
{
    (void)data, (void)name;
}

static void XMLCALL onText(void *data, const XML_Char *text, int length)
{
    (void)data, (void)text, (void)length;
}

int main(int argc, char **argv)
{
    if (argc != 2)
        return 2;
    const BenchClock clock = benchStart();
    FILE *file = fopen(argv[1], "rb");
    XML_Parser parser = XML_ParserCreate(NULL);
    if (!file || !parser)
        return 1;
    XML_SetElementHandler(parser, onStart, onEnd);
    XML_SetCharacterDataHandler(parser, onText);
    int ok = 1;
    for (int last = 0; ok && !last;) {
        void *buffer = XML_GetBuffer(parser, 1024);
        const size_t count = fread(buffer, 1, 1024, file);
        last = count < 1024;
        ok = XML_ParseBuffer(parser, (int)count, last) == XML_STATUS_OK;
    }
    XML_ParserFree(parser);
    fclose(file);
    benchReport(clock);
    return ok ? 0 : 1;
}
