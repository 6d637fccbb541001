" Vim syntax file for rill programs.
" Install: copy syntax/ and ftdetect/ into ~/.vim (or a directory of 'runtimepath').

if exists('b:current_syntax')
  finish
endif

" Words are runs of a..z and "_"; digits and capitals stand apart from them.
syntax iskeyword a-z,_

" Operator characters: each is a function of its operands, "\" makes a lambda.
syntax match rillOperator /[;\\?&|=<>#@+\-:.*/%'^~!"$`]/
syntax match rillDelimiter /[(),]/
syntax match rillBrace /[{}]/

" Names: a word before "\" or "{" is bound there (a parameter or a let); any other word is
" a parameter or a definition in use.
syntax match rillName /[a-z_]\+/
syntax match rillBinder /[a-z_]\+\ze\s*[\\{]/

" Numbers are runs of digits; a leading 0 makes a number negative (05 is minus five).
syntax match rillNumber /\d\+/

" The capital letters are the Prelude's combinators (K true, H false, Z failure, ...).
syntax match rillCombinator /[A-Z]/

" Bracket strings nest; [p], [q] and [r] stand for a newline, "[" and "]".
syntax region rillString matchgroup=rillString start=/\[/ end=/\]/ contains=rillNested,rillEscape
syntax region rillNested contained matchgroup=rillString start=/\[/ end=/\]/ contains=rillNested,rillEscape
syntax match rillEscape contained /\[[pqr]\]/
syntax match rillStrayBracket /\]/

" A definition starts a line: its name, then "\" or "()\".
syntax match rillDefinition /^\%([a-z_]\{2,}\|[A-Z]\)\ze\%(()\)\=\\/
syntax match rillDefinition /^\[[^][]*\]\ze\%(()\)\=\\/

" The first line of a script, read as blank.
syntax match rillScriptLine /\%1l^#!.*$/

" The built-in functions.
syntax keyword rillBuiltin abort abs accept acos addrinfo af_unspec ai_passive asctime asin assert
syntax keyword rillBuiltin atan atof atoi atol bind buck bzero calloc cape ceil
syntax keyword rillBuiltin cent clearerr closedir closesocket cmpr connect copy cork cos cosh
syntax keyword rillBuiltin ctime dash diff difftime dirent eacces ebadf econnaborted efault eintr
syntax keyword rillBuiltin einval eio emfile enfile enodev enomem enotsock enxio eopnotsupp eoverflow
syntax keyword rillBuiltin erf erfc errno ewouldblock exit exp fabs fclose fd_set fdopen
syntax keyword rillBuiltin feof ferror fflush fgetc fgetpos fgets fileno floor fmod fopen
syntax keyword rillBuiltin fputc fputs fread free freeaddrinfo frexp fseek fsetpos ftell fwrite
syntax keyword rillBuiltin gai_strerror getaddrinfo getc getchar getenv gethostname getnameinfo getpeername gets gett
syntax keyword rillBuiltin getu getv getw getx gety getz gmtime gteq htonl htons
syntax keyword rillBuiltin hypot inet_ntop inet_pton init isalnum isalpha isascii isblank isdigit isgraph
syntax keyword rillBuiltin islower isprint ispunct isspace isupper labs ldexp leaf leak left
syntax keyword rillBuiltin less lisp listen lits load localtime log look lots malloc
syntax keyword rillBuiltin memchr memcmp memcpy memmove memset mktime modf mult nextafter ntohl
syntax keyword rillBuiltin ntohs opendir over perror plus pow powa putc putchar puts
syntax keyword rillBuiltin raise rand rand_max rank raws read readdir real realloc recv
syntax keyword rillBuiltin recvfrom remove rename rewind rght same send sendto setbuf setsockopt
syntax keyword rillBuiltin sett setu setw setx shutdown sin sinh sock_stream socket sqrt
syntax keyword rillBuiltin srand stderr stdout strcasecmp strcat strchr strcmp strcpy strdup strerror
syntax keyword rillBuiltin strftime strlen strncasecmp strncat strncmp strncpy strnlen strpbrk strrchr strspn
syntax keyword rillBuiltin strstr strtod strtok strtok_r strtol strtoul system tan tanh tern
syntax keyword rillBuiltin time time_t tmpfile tmpnam toascii tolower toupper trim type ungetc
syntax keyword rillBuiltin wave write zits

highlight default link rillOperator Operator
highlight default link rillDelimiter Delimiter
highlight default link rillBrace Delimiter
highlight default link rillBinder Identifier
highlight default link rillDefinition Function
highlight default link rillNumber Number
highlight default link rillCombinator Constant
highlight default link rillString String
highlight default link rillNested String
highlight default link rillEscape SpecialChar
highlight default link rillStrayBracket Error
highlight default link rillScriptLine PreProc
highlight default link rillBuiltin Keyword

let b:current_syntax = 'rill'
