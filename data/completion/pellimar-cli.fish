# fish completion for pellimar-cli: the commands, then each command's options; a
# new option is one `complete` line under its command.

# The command is the program's first argument.
function __pellimar_cli_using -a name
    set -l words (commandline -opc)
    test (count $words) -ge 2; and test "$words[2]" = "$name"
end

complete -c pellimar-cli -f
complete -c pellimar-cli -n 'test (count (commandline -opc)) -eq 1' -s h -l help -d 'Show the help and exit'
complete -c pellimar-cli -n 'test (count (commandline -opc)) -eq 1' -s V -l version -d 'Show the version and exit'
complete -c pellimar-cli -n 'test (count (commandline -opc)) -eq 1' -a list -d 'List the icons of files and the images of each icon'
complete -c pellimar-cli -n 'test (count (commandline -opc)) -eq 1' -a draw -d 'Draw one icon on white as a BMP picture'
complete -c pellimar-cli -n 'test (count (commandline -opc)) -eq 1' -a save -d "Save one icon as the program's Save command does"
complete -c pellimar-cli -n 'test (count (commandline -opc)) -eq 1' -a extract -d 'Write every icon of many files and folders in one run'

# list FILE...
complete -c pellimar-cli -n '__pellimar_cli_using list' -F
complete -c pellimar-cli -n '__pellimar_cli_using list' -s h -l help -d 'Describe the command'
complete -c pellimar-cli -n '__pellimar_cli_using list' -s j -l json -d 'Print the icons as JSON'

# draw FILE INDEX SIZE OUT.bmp
complete -c pellimar-cli -n '__pellimar_cli_using draw' -F
complete -c pellimar-cli -n '__pellimar_cli_using draw' -s h -l help -d 'Describe the command'

# save FILE INDEX --out PATH
complete -c pellimar-cli -n '__pellimar_cli_using save' -F
complete -c pellimar-cli -n '__pellimar_cli_using save' -s h -l help -d 'Describe the command'
complete -c pellimar-cli -n '__pellimar_cli_using save' -s f -l format -x -a 'ico bmp jpg png original' -d 'Format of the files'
complete -c pellimar-cli -n '__pellimar_cli_using save' -s s -l sizes -x -a '128 64 48 32 16 32,16' -d 'Sizes, separated by commas'
complete -c pellimar-cli -n '__pellimar_cli_using save' -s o -l out -r -F -d 'The file to write (- for standard output)'
complete -c pellimar-cli -n '__pellimar_cli_using save' -l id -x -d 'The icon of resource ID N'
complete -c pellimar-cli -n '__pellimar_cli_using save' -l name -x -d 'The icon of a resource name'
complete -c pellimar-cli -n '__pellimar_cli_using save' -l lang -x -d 'Language, 1031 or de-DE'

# extract FILE|FOLDER... --out DIR
complete -c pellimar-cli -n '__pellimar_cli_using extract' -F
complete -c pellimar-cli -n '__pellimar_cli_using extract' -s h -l help -d 'Describe the command'
complete -c pellimar-cli -n '__pellimar_cli_using extract' -s o -l out -x -a '(__fish_complete_directories)' -d 'The folder to write into'
complete -c pellimar-cli -n '__pellimar_cli_using extract' -s f -l format -x -a 'ico cur png bmp jpg' -d 'Format of the files'
complete -c pellimar-cli -n '__pellimar_cli_using extract' -s s -l size -x -a '16 24 32 48 64 128 256' -d 'Bring each picture to N x N'
complete -c pellimar-cli -n '__pellimar_cli_using extract' -s r -l recursive -d 'Also the files of sub-folders'
complete -c pellimar-cli -n '__pellimar_cli_using extract' -s j -l json -d 'Print one JSON record a line per file written'
complete -c pellimar-cli -n '__pellimar_cli_using extract' -l any-file -d 'Every file in a folder, whatever its name'
complete -c pellimar-cli -n '__pellimar_cli_using extract' -l summary -d 'End with the files read, written and failed'
complete -c pellimar-cli -n '__pellimar_cli_using extract' -l id -x -d 'Icons of resource ID N'
complete -c pellimar-cli -n '__pellimar_cli_using extract' -l name -x -d 'Icons of a resource name'
complete -c pellimar-cli -n '__pellimar_cli_using extract' -l lang -x -d 'Language, 1031 or de-DE'
complete -c pellimar-cli -n '__pellimar_cli_using extract' -l all-languages -d 'Every language of each icon'
complete -c pellimar-cli -n '__pellimar_cli_using extract' -l theme -x -a '(__fish_complete_directories)' -d 'Icon theme folder to write into'
complete -c pellimar-cli -n '__pellimar_cli_using extract' -l app-name -x -d 'Icon name in the theme'
complete -c pellimar-cli -n '__pellimar_cli_using extract' -l index -x -d 'Icon position, with --theme'
