/* Writes a prefs-like document of about the given number of megabytes: one
 * root, flat children with short texts, a few attributes and entities. */
#include <stdio.h>
#include <stdlib.h>

int main(int argc, char **argv)
{
    if (argc != 3) {
        fprintf(stderr, "usage: generate_prefs MEGABYTES FILE\n");
        return 2;
    }
    const long target = atol(argv[1]) * 1024L * 1024L;
    FILE *file = fopen(argv[2], "w");
    if (!file)
        return 1;
    long written = fprintf(file, "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n<Prefs>\n");
    for (long index = 0; written < target; ++index)
        written += fprintf(file,
                           "<Value%ld id=\"%ld\" kind=\"%s\" scope=\"user\">Setting %ld "
                           "&amp; &lt;more&gt;</Value%ld>\n",
                           index, index, index % 3 ? "text" : "number", index * 7, index);
    fprintf(file, "</Prefs>\n");
    return fclose(file) == 0 ? 0 : 1;
}
