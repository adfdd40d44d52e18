program crlf
  print *, 'open string
  x = 1 ! comment before CRLF
#ifdef A
C not a comment in free form
end program
