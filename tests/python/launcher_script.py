"""A launcher's use of icoextract, as written for it: every icon of each program
given is written as OUT/NAME-N.ico, the first through get_icon and the rest
through export_icon; a program without icons is said so on standard output.

    launcher_script.py OUT PROGRAM...

The test runs it as it is, with icoextract, and with only its import line
changed, with pellimar.icoextract.
"""

import os
import sys

from icoextract import IconExtractor, IconExtractorError, NoIconsAvailableError


def main(out, programs):
    for program in programs:
        name = os.path.basename(program)
        try:
            extractor = IconExtractor(program)
        except NoIconsAvailableError:
            print(f"{name}: no icons")
            continue
        except IconExtractorError as error:
            print(f"{name}: {error}")
            continue
        count = len(extractor.list_group_icons())
        for num in range(count):
            target = os.path.join(out, f"{name}-{num}.ico")
            if num == 0:
                with open(target, "wb") as f:
                    f.write(extractor.get_icon(num=num).getvalue())
            else:
                extractor.export_icon(target, num=num)
        print(f"{name}: {count}")


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2:])
