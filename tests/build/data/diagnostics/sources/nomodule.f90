program usemod
  use nosuch
  implicit none
end program
