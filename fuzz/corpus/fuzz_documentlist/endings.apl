/a
/b/c

