# Completion of zorvex's command line for fish: the options after a dash,
# nothing for the expression after -e, and file names everywhere else.

complete -c zorvex -s e -l expression -x -d 'evaluate EXPR and print its value alone'
complete -c zorvex -s q -l quiet -d 'print no banner and no prompts'
complete -c zorvex -s h -l help -d 'print this help and exit'
complete -c zorvex -s V -l version -d 'print the version and exit'
