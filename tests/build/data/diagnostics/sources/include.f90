program useinc
  implicit none
  include 'defs.inc'
  print *, k
end program
